// SPDX-License-Identifier: MIT
/* Kavlo photo album - Icelandic texts (Íslenska). UTF-8. */
var kavloLanguage = {
  code: 'is',
  dir: 'ltr',
  name: 'Íslenska',
  text: {
    previous: 'Fyrri mynd',
    next: 'Næsta mynd',
    first: 'Fyrsta mynd',
    last: 'Síðasta mynd',
    play: 'Spila myndasýningu',
    pause: 'Gera hlé á myndasýningu',
    imageOf: 'Mynd {n} af {total}',
    photo: 'Ljósmynd {n}',
    thumbnails: 'Smámyndir',
    overview: 'Allar myndir',
    large: 'Skoða stóra mynd',
    close: 'Loka',
    introduction: 'Inngangur',
    enter: 'Skoða myndirnar',
    details: 'Upplýsingar um mynd',
    newTab: 'Opna í nýjum flipa',
    backToAlbum: 'Aftur í albúmið',
    zoom: 'Stækka',
    noImages: 'Þetta albúm inniheldur engar myndir.',
    noData: 'Ekki tókst að lesa gögn albúmsins.',
    loadError: 'Ekki tókst að hlaða þessari mynd.',
    keyboardHint: 'Örvalyklar fletta myndum, Home og End fara á fyrstu og síðustu mynd.',
    fullscreen: 'Allur skjárinn',
    skip: 'Fara beint í myndina'
  }
};
