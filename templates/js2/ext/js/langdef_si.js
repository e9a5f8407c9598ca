// SPDX-License-Identifier: MIT
/* Kavlo photo album - Slovenian texts (Slovenščina). UTF-8. */
var kavloLanguage = {
  code: 'sl',
  dir: 'ltr',
  name: 'Slovenščina',
  text: {
    previous: 'Prejšnja slika',
    next: 'Naslednja slika',
    first: 'Prva slika',
    last: 'Zadnja slika',
    play: 'Predvajaj diaprojekcijo',
    pause: 'Začasno ustavi diaprojekcijo',
    imageOf: 'Slika {n} od {total}',
    photo: 'Fotografija {n}',
    thumbnails: 'Sličice',
    overview: 'Vse slike',
    large: 'Prikaži veliko sliko',
    close: 'Zapri',
    introduction: 'Uvod',
    enter: 'Oglejte si fotografije',
    details: 'Podrobnosti slike',
    newTab: 'Odpri v novem zavihku',
    backToAlbum: 'Nazaj v album',
    zoom: 'Povečaj',
    noImages: 'Ta album ne vsebuje slik.',
    noData: 'Podatkov albuma ni bilo mogoče prebrati.',
    loadError: 'Te slike ni bilo mogoče naložiti.',
    keyboardHint: 'S puščicami listate slike, Home in End skočita na prvo in zadnjo sliko.',
    fullscreen: 'Celoten zaslon',
    skip: 'Skoči na fotografijo'
  }
};
