// SPDX-License-Identifier: MIT
/* Kavlo photo album - Italian texts (Italiano). UTF-8. */
var kavloLanguage = {
  code: 'it',
  dir: 'ltr',
  name: 'Italiano',
  text: {
    previous: 'Immagine precedente',
    next: 'Immagine successiva',
    first: 'Prima immagine',
    last: 'Ultima immagine',
    play: 'Avvia presentazione',
    pause: 'Metti in pausa la presentazione',
    imageOf: 'Immagine {n} di {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniature',
    overview: 'Tutte le immagini',
    large: 'Mostra immagine grande',
    close: 'Chiudi',
    introduction: 'Introduzione',
    enter: 'Guarda le foto',
    details: 'Dettagli immagine',
    newTab: 'Apri in una nuova scheda',
    backToAlbum: 'Torna all’album',
    zoom: 'Ingrandisci',
    noImages: 'Questo album non contiene immagini.',
    noData: 'Impossibile leggere i dati dell’album.',
    loadError: 'Impossibile caricare questa immagine.',
    keyboardHint: 'Usa i tasti freccia per sfogliare, Home e Fine per la prima e l’ultima immagine.',
    fullscreen: 'Schermo intero',
    skip: 'Vai alla foto'
  }
};
