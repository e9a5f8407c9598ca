// SPDX-License-Identifier: MIT
/* Kavlo photo album - Polish texts (Polski). UTF-8. */
var kavloLanguage = {
  code: 'pl',
  dir: 'ltr',
  name: 'Polski',
  text: {
    previous: 'Poprzednie zdjęcie',
    next: 'Następne zdjęcie',
    first: 'Pierwsze zdjęcie',
    last: 'Ostatnie zdjęcie',
    play: 'Uruchom pokaz slajdów',
    pause: 'Wstrzymaj pokaz slajdów',
    imageOf: 'Zdjęcie {n} z {total}',
    photo: 'Fotografia {n}',
    thumbnails: 'Miniatury',
    overview: 'Wszystkie zdjęcia',
    large: 'Pokaż duże zdjęcie',
    close: 'Zamknij',
    introduction: 'Wstęp',
    enter: 'Obejrzyj zdjęcia',
    details: 'Szczegóły zdjęcia',
    newTab: 'Otwórz w nowej karcie',
    backToAlbum: 'Powrót do albumu',
    zoom: 'Powiększ',
    noImages: 'Ten album nie zawiera zdjęć.',
    noData: 'Nie udało się odczytać danych albumu.',
    loadError: 'Nie udało się wczytać tego zdjęcia.',
    keyboardHint: 'Strzałki przełączają zdjęcia, Home i End przechodzą do pierwszego i ostatniego.',
    fullscreen: 'Pełny ekran',
    skip: 'Przejdź do zdjęcia'
  }
};
