// The start-up load of the configuration values the session uses.
#include "Inicio.h"
#include "Sesion.h"

#include "data/Configuracion.h"
#include "data/Pasos.h"
#include "data/Sesion.h"

namespace app {

void CargaConfiguracion()
{
    datos::pasoSilencioso([] { datos::gTablaConfiguracion = QStringLiteral("ta_configuracion"); });
    // A fixed-width column pads the value; "SI " still means yes.
    datos::pasoSilencioso([] {
        datos::gConfidencialidad = datos::Cfg(QStringLiteral("SS_CONFIDENCIALIDAD")).trimmed().compare(QLatin1String("SI"), Qt::CaseInsensitive) == 0;
    });
    datos::pasoSilencioso([] {
        gTopDefault = datos::Cfg(QStringLiteral("Top_Default"));
        if (gTopDefault.trimmed().isEmpty()) gTopDefault = QStringLiteral("1000");
    });
}

}  // namespace app
