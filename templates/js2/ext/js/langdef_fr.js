// SPDX-License-Identifier: MIT
/* Kavlo photo album - French texts (Français). UTF-8. */
var kavloLanguage = {
  code: 'fr',
  dir: 'ltr',
  name: 'Français',
  text: {
    previous: 'Image précédente',
    next: 'Image suivante',
    first: 'Première image',
    last: 'Dernière image',
    play: 'Lancer le diaporama',
    pause: 'Mettre le diaporama en pause',
    imageOf: 'Image {n} sur {total}',
    photo: 'Photo {n}',
    thumbnails: 'Miniatures',
    overview: 'Toutes les images',
    large: 'Afficher en grand',
    close: 'Fermer',
    introduction: 'Introduction',
    enter: 'Voir les photos',
    details: 'Détails de l’image',
    newTab: 'Ouvrir dans un nouvel onglet',
    backToAlbum: 'Retour à l’album',
    zoom: 'Agrandir',
    noImages: 'Cet album ne contient aucune image.',
    noData: 'Les données de l’album n’ont pas pu être lues.',
    loadError: 'Cette image n’a pas pu être chargée.',
    keyboardHint: 'Les flèches font défiler les images, Début et Fin mènent à la première et à la dernière.',
    fullscreen: 'Plein écran',
    skip: 'Aller à la photo'
  }
};
