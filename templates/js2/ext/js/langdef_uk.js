// SPDX-License-Identifier: MIT
/* Kavlo photo album - English texts. UTF-8. */
var kavloLanguage = {
  code: 'en',
  dir: 'ltr',
  name: 'English',
  text: {
    previous: 'Previous image',
    next: 'Next image',
    first: 'First image',
    last: 'Last image',
    play: 'Play slideshow',
    pause: 'Pause slideshow',
    imageOf: 'Image {n} of {total}',
    photo: 'Photo {n}',
    thumbnails: 'Thumbnails',
    overview: 'All images',
    large: 'View large image',
    close: 'Close',
    introduction: 'Introduction',
    enter: 'View the photos',
    details: 'Image details',
    newTab: 'Open in a new tab',
    backToAlbum: 'Back to the album',
    zoom: 'Zoom',
    noImages: 'This album contains no images.',
    noData: 'The album data could not be read.',
    loadError: 'This image could not be loaded.',
    keyboardHint: 'Arrow keys browse the images, Home and End jump to the first and last one.',
    fullscreen: 'Full screen',
    skip: 'Skip to the photo'
  }
};
