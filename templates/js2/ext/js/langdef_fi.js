// SPDX-License-Identifier: MIT
/* Kavlo photo album - Finnish texts (Suomi). UTF-8. */
var kavloLanguage = {
  code: 'fi',
  dir: 'ltr',
  name: 'Suomi',
  text: {
    previous: 'Edellinen kuva',
    next: 'Seuraava kuva',
    first: 'Ensimmäinen kuva',
    last: 'Viimeinen kuva',
    play: 'Toista diaesitys',
    pause: 'Keskeytä diaesitys',
    imageOf: 'Kuva {n}/{total}',
    photo: 'Valokuva {n}',
    thumbnails: 'Pikkukuvat',
    overview: 'Kaikki kuvat',
    large: 'Näytä suuri kuva',
    close: 'Sulje',
    introduction: 'Johdanto',
    enter: 'Katso kuvat',
    details: 'Kuvan tiedot',
    newTab: 'Avaa uudessa välilehdessä',
    backToAlbum: 'Takaisin albumiin',
    zoom: 'Suurenna',
    noImages: 'Tässä albumissa ei ole kuvia.',
    noData: 'Albumin tietoja ei voitu lukea.',
    loadError: 'Kuvaa ei voitu ladata.',
    keyboardHint: 'Selaa kuvia nuolinäppäimillä, Home ja End siirtyvät ensimmäiseen ja viimeiseen kuvaan.',
    fullscreen: 'Koko näyttö',
    skip: 'Siirry kuvaan'
  }
};
