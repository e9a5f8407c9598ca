// SPDX-License-Identifier: MIT
/* Kavlo photo album - Romanian texts (Română). UTF-8. */
var kavloLanguage = {
  code: 'ro',
  dir: 'ltr',
  name: 'Română',
  text: {
    previous: 'Imaginea anterioară',
    next: 'Imaginea următoare',
    first: 'Prima imagine',
    last: 'Ultima imagine',
    play: 'Pornește prezentarea',
    pause: 'Întrerupe prezentarea',
    imageOf: 'Imaginea {n} din {total}',
    photo: 'Fotografia {n}',
    thumbnails: 'Miniaturi',
    overview: 'Toate imaginile',
    large: 'Vezi imaginea mare',
    close: 'Închide',
    introduction: 'Introducere',
    enter: 'Vezi fotografiile',
    details: 'Detaliile imaginii',
    newTab: 'Deschide într-o filă nouă',
    backToAlbum: 'Înapoi la album',
    zoom: 'Mărește',
    noImages: 'Acest album nu conține imagini.',
    noData: 'Datele albumului nu au putut fi citite.',
    loadError: 'Această imagine nu a putut fi încărcată.',
    keyboardHint: 'Tastele săgeți răsfoiesc imaginile, Home și End duc la prima și la ultima.',
    fullscreen: 'Ecran complet',
    skip: 'Salt la fotografie'
  }
};
