// SPDX-License-Identifier: MIT
/* Kavlo photo album - Greek texts (Ελληνικά). UTF-8. */
var kavloLanguage = {
  code: 'el',
  dir: 'ltr',
  name: 'Ελληνικά',
  text: {
    previous: 'Προηγούμενη εικόνα',
    next: 'Επόμενη εικόνα',
    first: 'Πρώτη εικόνα',
    last: 'Τελευταία εικόνα',
    play: 'Έναρξη παρουσίασης',
    pause: 'Παύση παρουσίασης',
    imageOf: 'Εικόνα {n} από {total}',
    photo: 'Φωτογραφία {n}',
    thumbnails: 'Μικρογραφίες',
    overview: 'Όλες οι εικόνες',
    large: 'Προβολή μεγάλης εικόνας',
    close: 'Κλείσιμο',
    introduction: 'Εισαγωγή',
    enter: 'Δείτε τις φωτογραφίες',
    details: 'Λεπτομέρειες εικόνας',
    newTab: 'Άνοιγμα σε νέα καρτέλα',
    backToAlbum: 'Επιστροφή στο άλμπουμ',
    zoom: 'Μεγέθυνση',
    noImages: 'Αυτό το άλμπουμ δεν περιέχει εικόνες.',
    noData: 'Δεν ήταν δυνατή η ανάγνωση των δεδομένων του άλμπουμ.',
    loadError: 'Δεν ήταν δυνατή η φόρτωση αυτής της εικόνας.',
    keyboardHint: 'Τα βελάκια αλλάζουν εικόνα, τα Home και End μεταβαίνουν στην πρώτη και την τελευταία.',
    fullscreen: 'Πλήρης οθόνη',
    skip: 'Μετάβαση στη φωτογραφία'
  }
};
