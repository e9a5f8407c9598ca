// SPDX-License-Identifier: MIT
/* Kavlo photo album - Dutch texts (Nederlands). UTF-8. */
var kavloLanguage = {
  code: 'nl',
  dir: 'ltr',
  name: 'Nederlands',
  text: {
    previous: 'Vorige afbeelding',
    next: 'Volgende afbeelding',
    first: 'Eerste afbeelding',
    last: 'Laatste afbeelding',
    play: 'Diavoorstelling afspelen',
    pause: 'Diavoorstelling pauzeren',
    imageOf: 'Afbeelding {n} van {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniaturen',
    overview: 'Alle afbeeldingen',
    large: 'Grote afbeelding bekijken',
    close: 'Sluiten',
    introduction: 'Inleiding',
    enter: 'Bekijk de foto’s',
    details: 'Details van de afbeelding',
    newTab: 'Openen in een nieuw tabblad',
    backToAlbum: 'Terug naar het album',
    zoom: 'Vergroten',
    noImages: 'Dit album bevat geen afbeeldingen.',
    noData: 'De albumgegevens konden niet worden gelezen.',
    loadError: 'Deze afbeelding kon niet worden geladen.',
    keyboardHint: 'Blader met de pijltjestoetsen; Home en End gaan naar de eerste en laatste afbeelding.',
    fullscreen: 'Volledig scherm',
    skip: 'Naar de foto'
  }
};
