// The small pictures of the settings form, from the program's "BITMAP" resources: the product
// logo (full size and the "About" page's small one), the four music pictures, the processor and
// video card pictures, and the four molecule pictures of the "About" page. Their pure green
// pixels are transparent.
#pragma once

#include <QPixmap>
#include <QString>

QPixmap Logo_Picture();
QPixmap About_Logo_Picture();
// number 1 to 4.
QPixmap Music_Picture(int number);
QPixmap Processor_Picture();
QPixmap Video_Card_Picture();
// The molecule pictures are looked up by name, ignoring case: "Molecula3C_ANE00" to
// "Molecula3C_ANE03", 100 x 85 pixels each. An unknown name gives an empty picture.
QPixmap Molecule_Picture(const QString& name);
