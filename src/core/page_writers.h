// SPDX-License-Identifier: MIT
// The album pages written after the last image of a run: the HTML album with its data
// file albumdef.js, the SimpleViewer gallery, the AutoViewer gallery and the photo-frame
// slideshow. Every text file is written with CR LF line ends and replaced atomically.
// Failures are not reported to the user: a missing template leaves its output absent.
#pragma once

#include <string>
#include <vector>

#include "core/album_renderer.h"
#include "model/album_model.h"
#include "util/files.h"

namespace kavlo::core {

/// Appends "var <name padded to 14>= new Array( n1, n2 );\n" to `out`; a single number
/// is followed by ", '' " so the script builds a one-element array.
void writeNumberArray(std::string& out, const std::string& name, const std::vector<int>& list);

/// What index.html is instantiated with: the version, the album title, a description
/// (introduction, else the first major caption, else the title) and a preview image for
/// link previews, the photos as a plain list for visitors without scripts, and the script
/// tag of ext/js/renditions.js when the album has one. Every text is escaped for HTML.
util::ReplacementMap startPageReplacements(const model::AlbumModel& model, const SizeLists& sizes,
                                           bool renditions);

/// The text of ext/js/albumdef.js (LF line ends; written with CR LF).
std::string albumDefinitionText(const model::AlbumModel& model, const SizeLists& sizes);
/// Creates the album's ext folders, copies and instantiates the js2 template files and
/// writes albumdef.js. False when the start page or albumdef.js cannot be written.
bool writeHtmlAlbum(const model::AlbumModel& model, const SizeLists& sizes);

/// The footer shown by the viewer pages: the "Powered by Kavlo" credit removed.
std::string viewerFooterBase(const std::string& footer);
/// CDATA content that stays well-formed: every "]]>" is split across two sections.
std::string cdataSafe(const std::string& text);

/// gallery.xml of the SimpleViewer gallery.
std::string simpleViewerGalleryText(const model::AlbumModel& model);
/// Copies the viewer files, makes index.html from the simpleviewer template (keeping
/// the HTML album's start page as index_html.html) and writes `galleryName`. False when
/// the start page or the gallery file cannot be written.
bool writeSimpleViewerGallery(const model::AlbumModel& model, const std::string& galleryName);

/// gallerydata.xml of the AutoViewer gallery; image sizes are the main image sizes.
std::string autoViewerGalleryText(const model::AlbumModel& model, const SizeLists& sizes);
/// Makes index.html from the autoviewer template and writes `galleryName`. False when
/// either cannot be written.
bool writeAutoViewerGallery(const model::AlbumModel& model, const SizeLists& sizes,
                            const std::string& galleryName);

/// slideshow.alb for a digital photo frame, in ISO-8859-1 as its declaration says.
std::string slideshowText(const model::AlbumModel& model);
bool writeSlideshow(const model::AlbumModel& model, const std::string& fileName);

}  // namespace kavlo::core
