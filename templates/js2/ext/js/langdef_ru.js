// SPDX-License-Identifier: MIT
/* Kavlo photo album - Russian texts (Русский). UTF-8. */
var kavloLanguage = {
  code: 'ru',
  dir: 'ltr',
  name: 'Русский',
  text: {
    previous: 'Предыдущее изображение',
    next: 'Следующее изображение',
    first: 'Первое изображение',
    last: 'Последнее изображение',
    play: 'Запустить слайд-шоу',
    pause: 'Приостановить слайд-шоу',
    imageOf: 'Изображение {n} из {total}',
    photo: 'Фото {n}',
    thumbnails: 'Миниатюры',
    overview: 'Все изображения',
    large: 'Показать большое изображение',
    close: 'Закрыть',
    introduction: 'Вступление',
    enter: 'Смотреть фотографии',
    details: 'Сведения об изображении',
    newTab: 'Открыть в новой вкладке',
    backToAlbum: 'Вернуться в альбом',
    zoom: 'Увеличить',
    noImages: 'В этом альбоме нет изображений.',
    noData: 'Не удалось прочитать данные альбома.',
    loadError: 'Не удалось загрузить это изображение.',
    keyboardHint: 'Клавиши со стрелками листают изображения, Home и End открывают первое и последнее.',
    fullscreen: 'Во весь экран',
    skip: 'Перейти к фотографии'
  }
};
