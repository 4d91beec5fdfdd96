// skingen: writes the settings form's skin, the frame, exit, logo, music, "About" and molecule
// pictures as 24-bit bitmaps and the window outlines as "POINTS" text, with a Qt resource
// collection listing them:  skingen OUT_DIR
// With --icons, the program's icon instead, as PNG files at the sizes desktops ask for, in the
// icon theme's layout:  skingen --icons OUT_DIR  (OUT_DIR/NxN/apps/quelm3d.png)
#include "skin_catalogue.h"
#include "skin_pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

int Write_Icons(const QDir& out)
{
    for (int size : kIconSizes) {
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString path = folder + QStringLiteral("/quelm3d.png");
        const QString temporary = path + QStringLiteral(".part");
        bool written = QDir().mkpath(folder) && iconPicture(size).save(temporary, "PNG");
        if (written) {
            QFile::remove(path);
            written = QFile::rename(temporary, path);
        }
        if (!written) {
            QFile::remove(temporary);
            std::fprintf(stderr, "skingen: could not write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool icons = argc == 3 && QByteArray(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: skingen OUT_DIR\n       skingen --icons OUT_DIR\n");
        return 2;
    }
    // Painting text needs a GUI application; no display is needed to paint into pictures.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (icons) return Write_Icons(QDir(QString::fromLocal8Bit(argv[2])));
    if (!loadSkinFont(QUELM_SKIN_FONT)) {
        std::fprintf(stderr, "skingen: cannot load the font %s\n", QUELM_SKIN_FONT);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::vector<SkinResource> resources = skinCatalogue();
    auto write = [&](const QString& relative, const QByteArray& bytes) {
        const QString path = out.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        // Written beside and renamed over, so a failed run never leaves a half file for rcc.
        const QString temporary = path + ".part";
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
            file.remove();
            return false;
        }
        file.close();
        QFile::remove(path);
        if (!QFile::rename(temporary, path)) {
            QFile::remove(temporary);
            return false;
        }
        return true;
    };
    for (const SkinResource& r : resources) {
        const std::vector<uint8_t> bytes = r.make();
        const QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        if (bytes.empty() || !write(r.file, data)) {
            std::fprintf(stderr, "skingen: could not write %s\n", qPrintable(out.filePath(r.file)));
            return 1;
        }
    }
    if (!write("skin.qrc", resourceCollection(resources).toUtf8())) {
        std::fprintf(stderr, "skingen: could not write %s\n", qPrintable(out.filePath("skin.qrc")));
        return 1;
    }
    return 0;
}
