// SPDX-License-Identifier: MIT
/* Kavlo photo album - Lithuanian texts (Lietuvių). UTF-8. */
var kavloLanguage = {
  code: 'lt',
  dir: 'ltr',
  name: 'Lietuvių',
  text: {
    previous: 'Ankstesnis vaizdas',
    next: 'Kitas vaizdas',
    first: 'Pirmas vaizdas',
    last: 'Paskutinis vaizdas',
    play: 'Paleisti skaidrių peržiūrą',
    pause: 'Pristabdyti skaidrių peržiūrą',
    imageOf: 'Vaizdas {n} iš {total}',
    photo: 'Nuotrauka {n}',
    thumbnails: 'Miniatiūros',
    overview: 'Visi vaizdai',
    large: 'Rodyti didelį vaizdą',
    close: 'Uždaryti',
    introduction: 'Įvadas',
    enter: 'Žiūrėti nuotraukas',
    details: 'Vaizdo informacija',
    newTab: 'Atidaryti naujame skirtuke',
    backToAlbum: 'Grįžti į albumą',
    zoom: 'Padidinti',
    noImages: 'Šiame albume nėra vaizdų.',
    noData: 'Nepavyko nuskaityti albumo duomenų.',
    loadError: 'Nepavyko įkelti šio vaizdo.',
    keyboardHint: 'Rodyklių klavišais naršykite vaizdus, Home ir End pereina į pirmą ir paskutinį.',
    fullscreen: 'Visas ekranas',
    skip: 'Pereiti prie nuotraukos'
  }
};
