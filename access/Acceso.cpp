#include "Acceso.h"

#include "frmAcceso.h"

#include <QComboBox>
#include <QLineEdit>

namespace acceso {

bool MuestraDialogoAcceso(datos::PedidoConexion& pedido)
{
    frmAcceso f;   // created for this one use
    f.TxtDbName->setText(pedido.base);
    f.TxtServidor->setText(pedido.servidor);
    f.TxtUserId->setText(pedido.usuario);
    f.TxtUserPassword->setText(pedido.clave);
    f.CboPlataformaDB->setCurrentIndex(0);
    f.exec();
    if (f.Aceptar) {
        pedido.base = f.TxtDbName->text();
        pedido.servidor = f.TxtServidor->text();
        pedido.usuario = f.TxtUserId->text();
        pedido.clave = f.TxtUserPassword->text();
        pedido.plataforma = f.CboPlataformaDB->currentIndex();
    }
    return f.Aceptar;
}

void instalarDialogoAcceso()
{
    datos::DB_Dll::fijarDialogoAcceso(&MuestraDialogoAcceso);
}

}  // namespace acceso
