// SPDX-License-Identifier: MIT
/* Kavlo photo album - Estonian texts (Eesti). UTF-8. */
var kavloLanguage = {
  code: 'et',
  dir: 'ltr',
  name: 'Eesti',
  text: {
    previous: 'Eelmine pilt',
    next: 'Järgmine pilt',
    first: 'Esimene pilt',
    last: 'Viimane pilt',
    play: 'Käivita slaidiseanss',
    pause: 'Peata slaidiseanss',
    imageOf: 'Pilt {n}/{total}',
    photo: 'Foto {n}',
    thumbnails: 'Pisipildid',
    overview: 'Kõik pildid',
    large: 'Vaata suurt pilti',
    close: 'Sulge',
    introduction: 'Sissejuhatus',
    enter: 'Vaata fotosid',
    details: 'Pildi üksikasjad',
    newTab: 'Ava uuel vahelehel',
    backToAlbum: 'Tagasi albumisse',
    zoom: 'Suurenda',
    noImages: 'Selles albumis pole pilte.',
    noData: 'Albumi andmeid ei õnnestunud lugeda.',
    loadError: 'Seda pilti ei õnnestunud laadida.',
    keyboardHint: 'Nooleklahvid lehitsevad pilte, Home ja End viivad esimese ja viimase pildini.',
    fullscreen: 'Täisekraan',
    skip: 'Mine foto juurde'
  }
};
