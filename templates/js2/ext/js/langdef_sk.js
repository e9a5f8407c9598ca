// SPDX-License-Identifier: MIT
/* Kavlo photo album - Slovak texts (Slovenčina). UTF-8. */
var kavloLanguage = {
  code: 'sk',
  dir: 'ltr',
  name: 'Slovenčina',
  text: {
    previous: 'Predchádzajúci obrázok',
    next: 'Ďalší obrázok',
    first: 'Prvý obrázok',
    last: 'Posledný obrázok',
    play: 'Spustiť prezentáciu',
    pause: 'Pozastaviť prezentáciu',
    imageOf: 'Obrázok {n} z {total}',
    photo: 'Fotografia {n}',
    thumbnails: 'Miniatúry',
    overview: 'Všetky obrázky',
    large: 'Zobraziť veľký obrázok',
    close: 'Zavrieť',
    introduction: 'Úvod',
    enter: 'Pozrieť si fotografie',
    details: 'Podrobnosti obrázka',
    newTab: 'Otvoriť na novej karte',
    backToAlbum: 'Späť do albumu',
    zoom: 'Zväčšiť',
    noImages: 'Tento album neobsahuje žiadne obrázky.',
    noData: 'Údaje albumu sa nepodarilo načítať.',
    loadError: 'Tento obrázok sa nepodarilo načítať.',
    keyboardHint: 'Šípkami prechádzate obrázky, Home a End skočia na prvý a posledný obrázok.',
    fullscreen: 'Celá obrazovka',
    skip: 'Prejsť na fotografiu'
  }
};
