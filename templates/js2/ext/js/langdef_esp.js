// SPDX-License-Identifier: MIT
/* Kavlo photo album - Esperanto texts (Esperanto). UTF-8. */
var kavloLanguage = {
  code: 'eo',
  dir: 'ltr',
  name: 'Esperanto',
  text: {
    previous: 'Antaŭa bildo',
    next: 'Sekva bildo',
    first: 'Unua bildo',
    last: 'Lasta bildo',
    play: 'Ludi lumbildan prezenton',
    pause: 'Paŭzigi lumbildan prezenton',
    imageOf: 'Bildo {n} el {total}',
    photo: 'Foto {n}',
    thumbnails: 'Bildetoj',
    overview: 'Ĉiuj bildoj',
    large: 'Montri grandan bildon',
    close: 'Fermi',
    introduction: 'Enkonduko',
    enter: 'Rigardi la fotojn',
    details: 'Detaloj de la bildo',
    newTab: 'Malfermi en nova langeto',
    backToAlbum: 'Reen al la albumo',
    zoom: 'Zomi',
    noImages: 'Ĉi tiu albumo enhavas neniujn bildojn.',
    noData: 'Ne eblis legi la datumojn de la albumo.',
    loadError: 'Ne eblis ŝargi ĉi tiun bildon.',
    keyboardHint: 'La sagoklavoj foliumas la bildojn; Home kaj End saltas al la unua kaj la lasta.',
    fullscreen: 'Plena ekrano',
    skip: 'Salti al la foto'
  }
};
