#pragma once
// Windows-1252, the encoding of the suite's legacy files (INI files, BASES.TXT,
// KXERR.LOG, consultas.kxd). Every byte decodes to one character; a character
// that has no byte in the code page is written as "?".
#include <QByteArray>
#include <QString>

namespace velmora {

QByteArray aCp1252(const QString& texto);
QString desdeCp1252(const QByteArray& bytes);

}  // namespace velmora
