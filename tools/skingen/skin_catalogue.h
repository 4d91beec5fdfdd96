// Every picture and outline of the settings form's skin, by resource type and name, and the file
// each is written to.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

struct SkinResource {
    QString type;    // "BITMAP" or "POINTS"
    QString name;    // the resource name the host looks up
    QString file;    // relative path of the file the generator writes
    std::function<std::vector<uint8_t>()> make;
};

std::vector<SkinResource> skinCatalogue();

// A 24-bit picture as a bitmap file.
std::vector<uint8_t> bitmapFile(const QImage& picture);
// The Qt resource collection listing every file under its type and name.
QString resourceCollection(const std::vector<SkinResource>& resources);
