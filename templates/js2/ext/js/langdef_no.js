// SPDX-License-Identifier: MIT
/* Kavlo photo album - Norwegian texts (Norsk). UTF-8. */
var kavloLanguage = {
  code: 'nb',
  dir: 'ltr',
  name: 'Norsk',
  text: {
    previous: 'Forrige bilde',
    next: 'Neste bilde',
    first: 'Første bilde',
    last: 'Siste bilde',
    play: 'Spill av lysbildefremvisning',
    pause: 'Sett lysbildefremvisningen på pause',
    imageOf: 'Bilde {n} av {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniatyrbilder',
    overview: 'Alle bilder',
    large: 'Vis stort bilde',
    close: 'Lukk',
    introduction: 'Innledning',
    enter: 'Se bildene',
    details: 'Bildedetaljer',
    newTab: 'Åpne i ny fane',
    backToAlbum: 'Tilbake til albumet',
    zoom: 'Zoom',
    noImages: 'Dette albumet inneholder ingen bilder.',
    noData: 'Albumdataene kunne ikke leses.',
    loadError: 'Bildet kunne ikke lastes inn.',
    keyboardHint: 'Piltastene blar mellom bildene, Home og End går til første og siste bilde.',
    fullscreen: 'Fullskjerm',
    skip: 'Hopp til bildet'
  }
};
