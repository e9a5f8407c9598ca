// SPDX-License-Identifier: MIT
/* Kavlo photo album - Japanese texts (日本語). UTF-8. */
var kavloLanguage = {
  code: 'ja',
  dir: 'ltr',
  name: '日本語',
  text: {
    previous: '前の画像',
    next: '次の画像',
    first: '最初の画像',
    last: '最後の画像',
    play: 'スライドショーを再生',
    pause: 'スライドショーを一時停止',
    imageOf: '{total} 枚中 {n} 枚目',
    photo: '写真 {n}',
    thumbnails: 'サムネイル',
    overview: 'すべての画像',
    large: '大きい画像を表示',
    close: '閉じる',
    introduction: 'はじめに',
    enter: '写真を見る',
    details: '画像の詳細',
    newTab: '新しいタブで開く',
    backToAlbum: 'アルバムに戻る',
    zoom: '拡大',
    noImages: 'このアルバムには画像がありません。',
    noData: 'アルバムのデータを読み込めませんでした。',
    loadError: 'この画像を読み込めませんでした。',
    keyboardHint: '矢印キーで画像を切り替え、Home と End で最初と最後の画像に移動します。',
    fullscreen: '全画面表示',
    skip: '写真へ移動'
  }
};
