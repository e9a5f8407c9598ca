// SPDX-License-Identifier: MIT
/* Kavlo photo album - Czech texts (Čeština). UTF-8. */
var kavloLanguage = {
  code: 'cs',
  dir: 'ltr',
  name: 'Čeština',
  text: {
    previous: 'Předchozí obrázek',
    next: 'Další obrázek',
    first: 'První obrázek',
    last: 'Poslední obrázek',
    play: 'Spustit prezentaci',
    pause: 'Pozastavit prezentaci',
    imageOf: 'Obrázek {n} z {total}',
    photo: 'Fotografie {n}',
    thumbnails: 'Náhledy',
    overview: 'Všechny obrázky',
    large: 'Zobrazit velký obrázek',
    close: 'Zavřít',
    introduction: 'Úvod',
    enter: 'Prohlédnout fotografie',
    details: 'Podrobnosti obrázku',
    newTab: 'Otevřít na nové kartě',
    backToAlbum: 'Zpět do alba',
    zoom: 'Zvětšit',
    noImages: 'Toto album neobsahuje žádné obrázky.',
    noData: 'Data alba se nepodařilo načíst.',
    loadError: 'Tento obrázek se nepodařilo načíst.',
    keyboardHint: 'Šipkami listujete obrázky, Home a End přejdou na první a poslední obrázek.',
    fullscreen: 'Celá obrazovka',
    skip: 'Přejít na fotografii'
  }
};
