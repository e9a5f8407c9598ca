// SPDX-License-Identifier: MIT
/* Kavlo photo album - Hebrew texts (עברית). UTF-8. */
var kavloLanguage = {
  code: 'he',
  dir: 'rtl',
  name: 'עברית',
  text: {
    previous: 'התמונה הקודמת',
    next: 'התמונה הבאה',
    first: 'התמונה הראשונה',
    last: 'התמונה האחרונה',
    play: 'הפעלת מצגת',
    pause: 'השהיית המצגת',
    imageOf: 'תמונה {n} מתוך {total}',
    photo: 'צילום {n}',
    thumbnails: 'תמונות ממוזערות',
    overview: 'כל התמונות',
    large: 'הצגת תמונה גדולה',
    close: 'סגירה',
    introduction: 'מבוא',
    enter: 'לצפייה בתמונות',
    details: 'פרטי התמונה',
    newTab: 'פתיחה בכרטיסייה חדשה',
    backToAlbum: 'חזרה לאלבום',
    zoom: 'הגדלה',
    noImages: 'אלבום זה אינו מכיל תמונות.',
    noData: 'לא ניתן היה לקרוא את נתוני האלבום.',
    loadError: 'לא ניתן היה לטעון את התמונה.',
    keyboardHint: 'מקשי החיצים מדפדפים בין התמונות, Home ו־End עוברים לתמונה הראשונה והאחרונה.',
    fullscreen: 'מסך מלא',
    skip: 'דילוג לתמונה'
  }
};
