// SPDX-License-Identifier: MIT
/* Kavlo photo album - Hungarian texts (Magyar). UTF-8. */
var kavloLanguage = {
  code: 'hu',
  dir: 'ltr',
  name: 'Magyar',
  text: {
    previous: 'Előző kép',
    next: 'Következő kép',
    first: 'Első kép',
    last: 'Utolsó kép',
    play: 'Diavetítés indítása',
    pause: 'Diavetítés szüneteltetése',
    imageOf: '{n}. kép / {total}',
    photo: '{n}. fénykép',
    thumbnails: 'Bélyegképek',
    overview: 'Összes kép',
    large: 'Nagy kép megtekintése',
    close: 'Bezárás',
    introduction: 'Bevezető',
    enter: 'A fényképek megtekintése',
    details: 'Kép részletei',
    newTab: 'Megnyitás új lapon',
    backToAlbum: 'Vissza az albumhoz',
    zoom: 'Nagyítás',
    noImages: 'Ez az album nem tartalmaz képeket.',
    noData: 'Az album adatai nem olvashatók.',
    loadError: 'Ez a kép nem tölthető be.',
    keyboardHint: 'A nyílbillentyűkkel lapozhat, a Home és az End az első és az utolsó képre ugrik.',
    fullscreen: 'Teljes képernyő',
    skip: 'Ugrás a fényképhez'
  }
};
