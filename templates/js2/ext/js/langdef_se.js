// SPDX-License-Identifier: MIT
/* Kavlo photo album - Swedish texts (Svenska). UTF-8. */
var kavloLanguage = {
  code: 'sv',
  dir: 'ltr',
  name: 'Svenska',
  text: {
    previous: 'Föregående bild',
    next: 'Nästa bild',
    first: 'Första bilden',
    last: 'Sista bilden',
    play: 'Spela bildspel',
    pause: 'Pausa bildspel',
    imageOf: 'Bild {n} av {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniatyrer',
    overview: 'Alla bilder',
    large: 'Visa stor bild',
    close: 'Stäng',
    introduction: 'Introduktion',
    enter: 'Visa bilderna',
    details: 'Bilddetaljer',
    newTab: 'Öppna i en ny flik',
    backToAlbum: 'Tillbaka till albumet',
    zoom: 'Zooma',
    noImages: 'Det här albumet innehåller inga bilder.',
    noData: 'Albumets data kunde inte läsas.',
    loadError: 'Bilden kunde inte läsas in.',
    keyboardHint: 'Piltangenterna bläddrar, Home och End går till första och sista bilden.',
    fullscreen: 'Helskärm',
    skip: 'Hoppa till bilden'
  }
};
