// Control arrays: fields found by their data field name, Enter as Tab.
#include "companion/Velmora2.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace velmora;

TEST(Controles, IndiceControlBuscaPorDataFieldSinMayusculas)
{
    QObject sucursal, numero, sinCampo, letra;
    sucursal.setProperty("DataField", QStringLiteral("SUCURSAL"));
    numero.setProperty("DataField", QStringLiteral("Numero"));
    letra.setProperty("DataField", QStringLiteral("LETRA"));
    const QList<QObject*> campos{&sucursal, &numero, nullptr, &sinCampo, &letra};

    EXPECT_EQ(IndiceControl(QStringLiteral("SUCURSAL"), campos), 0);
    EXPECT_EQ(IndiceControl(QStringLiteral("NUMERO"), campos), 1);
    EXPECT_EQ(IndiceControl(QStringLiteral("letra"), campos), 4);
    EXPECT_EQ(IndiceControl(QStringLiteral("PROVEEDOR"), campos), -1);
    EXPECT_EQ(IndiceControl(QString(), campos), -1);   // a control without the property is nobody's field
    EXPECT_EQ(IndiceControl(QStringLiteral("SUCURSAL"), {}), -1);
}

TEST(Controles, EnterPasaAlSiguienteCampo)
{
    QWidget ventana;
    auto* capa = new QVBoxLayout(&ventana);
    auto* primero = new QLineEdit;
    auto* segundo = new QLineEdit;
    capa->addWidget(primero);
    capa->addWidget(segundo);
    ventana.show();
    QApplication::setActiveWindow(&ventana);
    primero->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), primero);

    EnterComoTab(65);   // any other key: the focus stays
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), primero);

    EnterComoTab(13);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), segundo);
    EXPECT_TRUE(primero->text().isEmpty());   // the Tab moved the focus, it was not typed
}
