// SPDX-License-Identifier: MIT
/* Kavlo photo album - Portuguese texts (Português). UTF-8. */
var kavloLanguage = {
  code: 'pt',
  dir: 'ltr',
  name: 'Português',
  text: {
    previous: 'Imagem anterior',
    next: 'Imagem seguinte',
    first: 'Primeira imagem',
    last: 'Última imagem',
    play: 'Iniciar apresentação',
    pause: 'Pausar apresentação',
    imageOf: 'Imagem {n} de {total}',
    photo: 'Foto {n}',
    thumbnails: 'Miniaturas',
    overview: 'Todas as imagens',
    large: 'Ver imagem grande',
    close: 'Fechar',
    introduction: 'Introdução',
    enter: 'Ver as fotos',
    details: 'Detalhes da imagem',
    newTab: 'Abrir num novo separador',
    backToAlbum: 'Voltar ao álbum',
    zoom: 'Ampliar',
    noImages: 'Este álbum não contém imagens.',
    noData: 'Não foi possível ler os dados do álbum.',
    loadError: 'Não foi possível carregar esta imagem.',
    keyboardHint: 'As setas percorrem as imagens; Home e End levam à primeira e à última.',
    fullscreen: 'Ecrã inteiro',
    skip: 'Saltar para a fotografia'
  }
};
