// SPDX-License-Identifier: MIT
/* Kavlo photo album - Spanish texts (Español). UTF-8. */
var kavloLanguage = {
  code: 'es',
  dir: 'ltr',
  name: 'Español',
  text: {
    previous: 'Imagen anterior',
    next: 'Imagen siguiente',
    first: 'Primera imagen',
    last: 'Última imagen',
    play: 'Reproducir presentación',
    pause: 'Pausar presentación',
    imageOf: 'Imagen {n} de {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniaturas',
    overview: 'Todas las imágenes',
    large: 'Ver imagen grande',
    close: 'Cerrar',
    introduction: 'Introducción',
    enter: 'Ver las fotos',
    details: 'Detalles de la imagen',
    newTab: 'Abrir en una pestaña nueva',
    backToAlbum: 'Volver al álbum',
    zoom: 'Ampliar',
    noImages: 'Este álbum no contiene imágenes.',
    noData: 'No se pudieron leer los datos del álbum.',
    loadError: 'No se pudo cargar esta imagen.',
    keyboardHint: 'Las flechas recorren las imágenes; Inicio y Fin saltan a la primera y a la última.',
    fullscreen: 'Pantalla completa',
    skip: 'Saltar a la foto'
  }
};
