// SPDX-License-Identifier: MIT
/* Kavlo photo album - Turkish texts (Türkçe). UTF-8. */
var kavloLanguage = {
  code: 'tr',
  dir: 'ltr',
  name: 'Türkçe',
  text: {
    previous: 'Önceki resim',
    next: 'Sonraki resim',
    first: 'İlk resim',
    last: 'Son resim',
    play: 'Slayt gösterisini başlat',
    pause: 'Slayt gösterisini duraklat',
    imageOf: 'Resim {n} / {total}',
    photo: 'Fotoğraf {n}',
    thumbnails: 'Küçük resimler',
    overview: 'Tüm resimler',
    large: 'Büyük resmi göster',
    close: 'Kapat',
    introduction: 'Giriş',
    enter: 'Fotoğrafları görüntüle',
    details: 'Resim ayrıntıları',
    newTab: 'Yeni sekmede aç',
    backToAlbum: 'Albüme dön',
    zoom: 'Yakınlaştır',
    noImages: 'Bu albümde resim yok.',
    noData: 'Albüm verileri okunamadı.',
    loadError: 'Bu resim yüklenemedi.',
    keyboardHint: 'Ok tuşlarıyla resimler arasında gezinin; Home ve End ilk ve son resme gider.',
    fullscreen: 'Tam ekran',
    skip: 'Fotoğrafa geç'
  }
};
