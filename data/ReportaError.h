#pragma once
// The error reporters (retry / ignore / abort dialog plus a line in KXERR.LOG)
// and the AUX_ERR record of a failed statement.
#include "ado/Errores.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace datos {

// Global reporter; its log lives in the temporary folder.
int ReportaError(const ado::Fallo& CodErr, std::optional<int> Botones = std::nullopt, const QString& Rutina = QString());

// Shared by both reporters: shows the dialog, appends the log line to archivoLog
// and returns the answer; 0 (nothing shown, nothing written) for error number 0.
int reportar(const ado::Fallo& error, std::optional<int> botones, const QString& rutina, const QString& sufijoTitulo,
             const QString& archivoLog);
// The log line of a report (without CR LF).
QString lineaLog(const QString& rutina, const QString& mensaje, int respuesta, const QDateTime& cuando);
// Folder of ReportaError's log, ending with a separator.
QString carpetaLogGlobal();

void GrabaErrorAux(const QString& sentencia, QString& proceso, int32_t numero, const QString& descripcion);

}  // namespace datos
