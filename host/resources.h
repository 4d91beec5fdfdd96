// The pictures and outlines compiled into the program (Qt resources under ":/TYPE/NAME").
#pragma once

#include <QByteArray>
#include <QString>

// The program resource of that type ("JPEG", "BITMAP", "POINTS") and name, the name compared
// ignoring case; empty when there is none.
QByteArray Find_Resource(const QString& type, const QString& name);
