// SPDX-License-Identifier: MIT
/* Kavlo photo album - Croatian texts (Hrvatski). UTF-8. */
var kavloLanguage = {
  code: 'hr',
  dir: 'ltr',
  name: 'Hrvatski',
  text: {
    previous: 'Prethodna slika',
    next: 'Sljedeća slika',
    first: 'Prva slika',
    last: 'Posljednja slika',
    play: 'Pokreni prezentaciju',
    pause: 'Pauziraj prezentaciju',
    imageOf: 'Slika {n} od {total}',
    photo: 'Fotografija {n}',
    thumbnails: 'Minijature',
    overview: 'Sve slike',
    large: 'Prikaži veliku sliku',
    close: 'Zatvori',
    introduction: 'Uvod',
    enter: 'Pogledaj fotografije',
    details: 'Pojedinosti slike',
    newTab: 'Otvori u novoj kartici',
    backToAlbum: 'Natrag na album',
    zoom: 'Povećaj',
    noImages: 'Ovaj album ne sadrži slike.',
    noData: 'Podaci albuma nisu se mogli pročitati.',
    loadError: 'Ova se slika nije mogla učitati.',
    keyboardHint: 'Strelicama listate slike, Home i End vode na prvu i posljednju sliku.',
    fullscreen: 'Cijeli zaslon',
    skip: 'Preskoči do fotografije'
  }
};
