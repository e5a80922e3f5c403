#pragma once
// The program's operator: Qt dialogs with Spanish buttons.
#include "companion/Operador.h"

namespace app {

class OperadorQt : public velmora::Operador {
public:
    int MsgBox(const QString& texto, int botones, const QString& titulo) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto) override;
    std::optional<QString> ElegirArchivo(const velmora::PedidoArchivo& pedido) override;
};

}  // namespace app
