// SPDX-License-Identifier: MIT
/* Kavlo photo album - Danish texts (Dansk). UTF-8. */
var kavloLanguage = {
  code: 'da',
  dir: 'ltr',
  name: 'Dansk',
  text: {
    previous: 'Forrige billede',
    next: 'Næste billede',
    first: 'Første billede',
    last: 'Sidste billede',
    play: 'Afspil diasshow',
    pause: 'Sæt diasshow på pause',
    imageOf: 'Billede {n} af {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniaturer',
    overview: 'Alle billeder',
    large: 'Vis stort billede',
    close: 'Luk',
    introduction: 'Introduktion',
    enter: 'Se billederne',
    details: 'Billeddetaljer',
    newTab: 'Åbn i en ny fane',
    backToAlbum: 'Tilbage til albummet',
    zoom: 'Zoom',
    noImages: 'Dette album indeholder ingen billeder.',
    noData: 'Albummets data kunne ikke læses.',
    loadError: 'Billedet kunne ikke indlæses.',
    keyboardHint: 'Piletasterne skifter billede, Home og End går til første og sidste billede.',
    fullscreen: 'Fuld skærm',
    skip: 'Spring til billedet'
  }
};
