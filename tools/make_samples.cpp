// SPDX-License-Identifier: MIT
// make_samples: paints the demo photos that ship in samples/.
//
//   make_samples OUTPUT_FOLDER
//
// Every picture is painted here from gradients and shapes. The JPEGs are written with
// Kavlo's own encoder and then get an APP1 Exif block (camera, date, exposure, aperture,
// focal length, ISO, orientation), an APP13 IPTC block (caption, by-line, keywords)
// and a comment; one of them is stored sideways with orientation 6. One picture is a
// TIFF. The output is deterministic, so regenerating gives the same files.
#include <tiffio.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
struct Rgb {
    double r, g, b;
};
using Painter = std::function<Rgb(double x, double y)>;  // x, y in 0..1 of the shown picture

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
Rgb mix(Rgb a, Rgb b, double t) {
    t = clamp01(t);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
double smooth(double edge0, double edge1, double v) {
    const double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// ---- Exif (APP1) ------------------------------------------------------------------

/// Little-endian TIFF structure builder for one IFD chain.
class ExifBuilder {
public:
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count;
        Bytes data;  // value bytes (little-endian)
    };
    static Entry ascii(std::uint16_t tag, const std::string& s) {
        Bytes d(s.begin(), s.end());
        d.push_back(0);
        return {tag, 2, static_cast<std::uint32_t>(d.size()), d};
    }
    static Entry shortValue(std::uint16_t tag, std::uint16_t v) {
        return {tag, 3, 1, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}};
    }
    static Entry longValue(std::uint16_t tag, std::uint32_t v) {
        Bytes d;
        put32(d, v);
        return {tag, 4, 1, d};
    }
    static Entry rational(std::uint16_t tag, std::uint32_t num, std::uint32_t den) {
        Bytes d;
        put32(d, num);
        put32(d, den);
        return {tag, 5, 1, d};
    }
    static void put16(Bytes& b, std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void put32(Bytes& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    /// TIFF bytes with IFD0 (`ifd0`, plus a pointer to the Exif IFD) and the Exif IFD.
    static Bytes build(std::vector<Entry> ifd0, const std::vector<Entry>& exif) {
        // Layout: header (8) | IFD0 | IFD0 data | Exif IFD | Exif data.
        ifd0.push_back(longValue(0x8769, 0));  // patched below
        Bytes out = {'I', 'I', 0x2A, 0x00, 8, 0, 0, 0};
        const std::size_t exifPointerIndex = ifd0.size() - 1;
        const std::size_t ifd0Start = out.size();
        const std::size_t ifd0Size = 2 + ifd0.size() * 12 + 4;
        std::size_t dataSize0 = 0;
        for (const auto& e : ifd0)
            dataSize0 += e.data.size() > 4 ? (e.data.size() + 1) & ~std::size_t(1) : 0;
        const std::size_t exifStart = ifd0Start + ifd0Size + dataSize0;
        ifd0[exifPointerIndex] = longValue(0x8769, static_cast<std::uint32_t>(exifStart));
        writeIfd(out, ifd0, ifd0Start);
        writeIfd(out, exif, exifStart);
        return out;
    }

private:
    static void writeIfd(Bytes& out, const std::vector<Entry>& entries, std::size_t start) {
        out.resize(start);
        Bytes data;
        const std::size_t dataStart = start + 2 + entries.size() * 12 + 4;
        put16(out, static_cast<std::uint16_t>(entries.size()));
        for (const auto& e : entries) {
            put16(out, e.tag);
            put16(out, e.type);
            put32(out, e.count);
            if (e.data.size() <= 4) {
                Bytes v = e.data;
                v.resize(4, 0);
                out.insert(out.end(), v.begin(), v.end());
            } else {
                put32(out, static_cast<std::uint32_t>(dataStart + data.size()));
                data.insert(data.end(), e.data.begin(), e.data.end());
                if (data.size() % 2) data.push_back(0);
            }
        }
        put32(out, 0);  // no next IFD
        out.insert(out.end(), data.begin(), data.end());
    }
};

struct PhotoInfo {
    std::string make, model, date;
    std::uint32_t exposureDen;  // exposure 1/den s
    std::uint32_t fNumber10;    // f-number x 10
    std::uint32_t focalMm;
    std::uint16_t iso;
    std::uint16_t orientation;
    std::string caption, byline;
    std::vector<std::string> keywords;
    std::string comment;
};

Bytes segment(std::uint8_t marker, const Bytes& payload) {
    const std::size_t len = payload.size() + 2;
    Bytes s = {0xFF, marker, static_cast<std::uint8_t>(len >> 8), static_cast<std::uint8_t>(len)};
    s.insert(s.end(), payload.begin(), payload.end());
    return s;
}

Bytes exifSegment(const PhotoInfo& p) {
    using E = ExifBuilder;
    std::vector<E::Entry> ifd0 = {
        E::ascii(0x010F, p.make),
        E::ascii(0x0110, p.model),
        E::shortValue(0x0112, p.orientation),
        E::ascii(0x0132, p.date),
    };
    std::vector<E::Entry> exif = {
        E::rational(0x829A, 1, p.exposureDen), E::rational(0x829D, p.fNumber10, 10),
        E::shortValue(0x8827, p.iso),          E::ascii(0x9003, p.date),
        E::rational(0x920A, p.focalMm, 1),
    };
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    const Bytes tiff = E::build(ifd0, exif);
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return segment(0xE1, payload);
}

// ---- IPTC (APP13) -----------------------------------------------------------------

void iptcDataset(Bytes& b, std::uint8_t number, const std::string& value) {
    b.push_back(0x1C);
    b.push_back(0x02);
    b.push_back(number);
    b.push_back(static_cast<std::uint8_t>(value.size() >> 8));
    b.push_back(static_cast<std::uint8_t>(value.size()));
    b.insert(b.end(), value.begin(), value.end());
}

Bytes iptcSegment(const PhotoInfo& p) {
    Bytes records;
    iptcDataset(records, 0, std::string("\x00\x04", 2));  // record version 4
    for (const auto& k : p.keywords) iptcDataset(records, 25, k);
    iptcDataset(records, 80, p.byline);
    iptcDataset(records, 120, p.caption);
    Bytes payload;
    const std::string sig = "Photoshop 3.0";
    payload.insert(payload.end(), sig.begin(), sig.end());
    payload.push_back(0);
    const std::string bim = "8BIM";
    payload.insert(payload.end(), bim.begin(), bim.end());
    payload.push_back(0x04);  // resource 0x0404: IPTC-NAA
    payload.push_back(0x04);
    payload.push_back(0);  // empty Pascal name, padded to even length
    payload.push_back(0);
    const std::uint32_t n = static_cast<std::uint32_t>(records.size());
    for (int i = 3; i >= 0; --i) payload.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    payload.insert(payload.end(), records.begin(), records.end());
    if (records.size() % 2) payload.push_back(0);
    return segment(0xED, payload);
}

// ---- Pictures ---------------------------------------------------------------------

kavlo::imaging::RasterImage paint(int storedW, int storedH, bool sideways, const Painter& painter) {
    kavlo::imaging::RasterImage img = kavlo::imaging::RPcreate(storedW, storedH, 24);
    const std::size_t stride = kavlo::imaging::RPstride(storedW, 24);
    // Sideways (orientation 6): the stored picture is the shown one turned a quarter
    // anticlockwise, so a viewer that turns it clockwise shows it upright.
    const int shownW = sideways ? storedH : storedW;
    const int shownH = sideways ? storedW : storedH;
    for (int ys = 0; ys < storedH; ++ys) {
        for (int xs = 0; xs < storedW; ++xs) {
            const int xd = sideways ? storedH - 1 - ys : xs;
            const int yd = sideways ? xs : ys;
            Rgb c = painter((xd + 0.5) / shownW, (yd + 0.5) / shownH);
            std::uint8_t* px = img.pixels + ys * stride + xs * 3;
            px[0] = static_cast<std::uint8_t>(clamp01(c.b) * 255 + 0.5);
            px[1] = static_cast<std::uint8_t>(clamp01(c.g) * 255 + 0.5);
            px[2] = static_cast<std::uint8_t>(clamp01(c.r) * 255 + 0.5);
        }
    }
    return img;
}

Rgb sunset(double x, double y) {
    const double horizon = 0.62;
    if (y < horizon) {
        Rgb sky = mix({0.28, 0.16, 0.45}, {1.0, 0.55, 0.25}, y / horizon);
        const double d = std::hypot((x - 0.5) * 1.5, y - 0.5);
        return mix(sky, {1.0, 0.9, 0.6}, 1 - smooth(0.09, 0.1, d));
    }
    const double t = (y - horizon) / (1 - horizon);
    Rgb sea = mix({0.55, 0.3, 0.35}, {0.08, 0.12, 0.3}, t);
    const double glitter =
        std::fabs(x - 0.5) < 0.08 * (1 - t * 0.5) && std::sin(y * 180) > 0.6 ? 0.5 : 0.0;
    return mix(sea, {1.0, 0.8, 0.5}, glitter);
}

Rgb hills(double x, double y) {
    Rgb c = mix({0.45, 0.7, 0.95}, {0.85, 0.93, 1.0}, y / 0.6);
    for (double cx : {0.2, 0.65}) {
        const double d = std::hypot((x - cx) * 1.2, (y - 0.18) * 3.0);
        c = mix(c, {1, 1, 1}, 1 - smooth(0.08, 0.12, d));
    }
    const double h1 = 0.55 + 0.08 * std::sin(x * 7.0 + 1.0);
    const double h2 = 0.68 + 0.06 * std::sin(x * 11.0 + 2.5);
    if (y > h1) c = mix({0.35, 0.6, 0.25}, {0.2, 0.45, 0.15}, (y - h1) * 4);
    if (y > h2) c = mix({0.25, 0.5, 0.18}, {0.12, 0.32, 0.1}, (y - h2) * 3);
    return c;
}

Rgb lighthouse(double x, double y) {
    Rgb c = mix({0.5, 0.72, 0.9}, {0.9, 0.95, 1.0}, y);
    if (y > 0.82) return mix({0.2, 0.35, 0.55}, {0.1, 0.2, 0.35}, (y - 0.82) * 5);
    const double half = 0.06 + (y - 0.25) * 0.08;
    if (y > 0.25 && std::fabs(x - 0.5) < half) {
        const bool red = static_cast<int>((y - 0.25) / 0.09) % 2 == 0;
        return red ? Rgb{0.8, 0.15, 0.15} : Rgb{0.97, 0.97, 0.95};
    }
    if (y > 0.17 && y <= 0.25 && std::fabs(x - 0.5) < 0.05) return {1.0, 0.95, 0.6};
    if (y > 0.13 && y <= 0.17 && std::fabs(x - 0.5) < 0.07 - (y - 0.13)) return {0.2, 0.2, 0.2};
    return c;
}

Rgb night(double x, double y) {
    Rgb c = mix({0.02, 0.03, 0.12}, {0.1, 0.15, 0.35}, y);
    const unsigned h =
        static_cast<unsigned>(x * 977) * 2654435761u ^ static_cast<unsigned>(y * 653) * 40503u;
    if ((h % 997) == 0) c = {0.95, 0.95, 1.0};
    const double d = std::hypot((x - 0.75) * 1.5, y - 0.25);
    c = mix(c, {0.95, 0.93, 0.8}, 1 - smooth(0.07, 0.075, d));
    if (y > 0.8 + 0.03 * std::sin(x * 20)) c = {0.02, 0.02, 0.04};
    return c;
}

Rgb blossoms(double x, double y) {
    Rgb c = mix({0.97, 0.93, 0.9}, {0.9, 0.95, 0.88}, y);
    const double centres[][3] = {
        {0.2, 0.3, 0.12}, {0.55, 0.45, 0.16}, {0.8, 0.25, 0.1}, {0.35, 0.75, 0.11}};
    for (const auto& b : centres) {
        const double d = std::hypot((x - b[0]) * 1.5, y - b[1]);
        c = mix(c, {0.95, 0.55, 0.7}, 1 - smooth(b[2] * 0.9, b[2], d));
        c = mix(c, {0.95, 0.85, 0.3}, 1 - smooth(b[2] * 0.2, b[2] * 0.25, d));
    }
    return c;
}

bool writeJpegWithMetadata(const std::string& path, const kavlo::imaging::RasterImage& img,
                           const PhotoInfo& info) {
    const std::string tmp = path + ".tmp";
    if (kavlo::imaging::RPwriteJpeg(tmp, 82, &info.comment, img) != 0) return false;
    Bytes jpeg;
    if (FILE* f = std::fopen(tmp.c_str(), "rb")) {
        std::uint8_t buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) jpeg.insert(jpeg.end(), buf, buf + n);
        std::fclose(f);
    }
    std::remove(tmp.c_str());
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return false;
    // SOI, then Exif and IPTC, then everything the encoder wrote after its SOI.
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    const Bytes app1 = exifSegment(info), app13 = iptcSegment(info);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), app13.begin(), app13.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

bool writeTiff(const std::string& path, int w, int h, const Painter& painter) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, 2);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "Blossoms, painted by make_samples");
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = painter((x + 0.5) / w, (y + 0.5) / h);
            row[x * 3 + 0] = static_cast<std::uint8_t>(clamp01(c.r) * 255 + 0.5);
            row[x * 3 + 1] = static_cast<std::uint8_t>(clamp01(c.g) * 255 + 0.5);
            row[x * 3 + 2] = static_cast<std::uint8_t>(clamp01(c.b) * 255 + 0.5);
        }
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    struct Job {
        const char* name;
        int w, h;
        bool sideways;
        Painter painter;
        PhotoInfo info;
    };
    const std::vector<Job> jobs = {
        {"01 Sunset.jpg",
         960,
         640,
         false,
         sunset,
         {"Kavlo",
          "Painter One",
          "2024:06:21 21:34:10",
          250,
          56,
          35,
          100,
          1,
          "Sunset over a calm sea",
          "Kavlo sample painter",
          {"sunset", "sea"},
          "Evening light"}},
        {"02 Hills.jpg",
         960,
         640,
         false,
         hills,
         {"Kavlo",
          "Painter One",
          "2024:07:02 11:05:42",
          500,
          80,
          24,
          200,
          1,
          "Green hills & two clouds",
          "Kavlo sample painter",
          {"hills", "clouds"},
          "Midday"}},
        {"03 Lighthouse.jpg",
         960,
         640,
         true,
         lighthouse,
         {"Kavlo",
          "Painter Two",
          "2024:07:15 16:20:00",
          1000,
          110,
          50,
          100,
          6,
          "Lighthouse (photographed sideways)",
          "Kavlo sample painter",
          {"lighthouse", "coast"},
          "Stored sideways; orientation 6"}},
        {"04 Night.jpg",
         960,
         640,
         false,
         night,
         {"Kavlo",
          "Painter Two",
          "2024:08:11 23:48:05",
          2,
          28,
          18,
          3200,
          1,
          "Moon over the \"quiet\" town",
          "Kavlo sample painter",
          {"night", "moon"},
          "Long exposure"}},
    };
    int failures = 0;
    for (const Job& j : jobs) {
        const kavlo::imaging::Image img(paint(j.w, j.h, j.sideways, j.painter));
        if (!writeJpegWithMetadata(out + "/" + j.name, img.record(), j.info)) {
            std::fprintf(stderr, "make_samples: cannot write %s\n", j.name);
            ++failures;
        }
    }
    if (!writeTiff(out + "/05 Blossoms.tif", 480, 320, blossoms)) {
        std::fprintf(stderr, "make_samples: cannot write the TIFF\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
