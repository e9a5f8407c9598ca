// SPDX-License-Identifier: MIT
/* Kavlo photo album - German texts (Deutsch). UTF-8. */
var kavloLanguage = {
  code: 'de',
  dir: 'ltr',
  name: 'Deutsch',
  text: {
    previous: 'Vorheriges Bild',
    next: 'Nächstes Bild',
    first: 'Erstes Bild',
    last: 'Letztes Bild',
    play: 'Diashow abspielen',
    pause: 'Diashow anhalten',
    imageOf: 'Bild {n} von {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniaturansichten',
    overview: 'Alle Bilder',
    large: 'Großes Bild anzeigen',
    close: 'Schließen',
    introduction: 'Einleitung',
    enter: 'Fotos ansehen',
    details: 'Bilddetails',
    newTab: 'In neuem Tab öffnen',
    backToAlbum: 'Zurück zum Album',
    zoom: 'Vergrößern',
    noImages: 'Dieses Album enthält keine Bilder.',
    noData: 'Die Albumdaten konnten nicht gelesen werden.',
    loadError: 'Dieses Bild konnte nicht geladen werden.',
    keyboardHint: 'Mit den Pfeiltasten blättern, Pos1 und Ende springen zum ersten und letzten Bild.',
    fullscreen: 'Vollbild',
    skip: 'Zum Foto springen'
  }
};
