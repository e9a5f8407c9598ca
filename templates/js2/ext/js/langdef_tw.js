// SPDX-License-Identifier: MIT
/* Kavlo photo album - Traditional Chinese texts (繁體中文). UTF-8. */
var kavloLanguage = {
  code: 'zh-Hant',
  dir: 'ltr',
  name: '繁體中文',
  text: {
    previous: '上一張',
    next: '下一張',
    first: '第一張',
    last: '最後一張',
    play: '播放幻燈片',
    pause: '暫停幻燈片',
    imageOf: '第 {n} 張，共 {total} 張',
    photo: '相片 {n}',
    thumbnails: '縮圖',
    overview: '所有圖片',
    large: '檢視大圖',
    close: '關閉',
    introduction: '簡介',
    enter: '觀看相片',
    details: '圖片詳細資料',
    newTab: '在新分頁中開啟',
    backToAlbum: '返回相簿',
    zoom: '放大',
    noImages: '此相簿沒有任何圖片。',
    noData: '無法讀取相簿資料。',
    loadError: '無法載入此圖片。',
    keyboardHint: '使用方向鍵瀏覽圖片，Home 與 End 跳至第一張與最後一張。',
    fullscreen: '全螢幕',
    skip: '跳至相片'
  }
};
