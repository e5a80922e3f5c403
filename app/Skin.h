#pragma once
// The skin layer: a skin file is a Qt style sheet; an optional settings file
// (an INI beside the skin) names colours that the sheet uses as @name.
#include <QMap>
#include <QObject>
#include <QString>

class QWidget;

namespace app {

class SkinFramework : public QObject {
    Q_OBJECT
public:
    // Bits of ApplyOptions.
    static constexpr int xtpSkinApplyFrame = 1;      // the window's frame as well (drawn by the window manager here)
    static constexpr int xtpSkinApplyColors = 2;
    static constexpr int xtpSkinApplyMetrics = 4;

    explicit SkinFramework(QObject* parent = nullptr);

    // Loads the sheet at ruta; ajustes is a settings file name looked up in the
    // skin's folder (or a path), empty for none. A skin that cannot be read
    // leaves the previous state (the default look) and reports nothing.
    bool LoadSkin(const QString& ruta, const QString& ajustes);
    // Gives the window the loaded sheet; without a loaded skin nothing changes.
    void ApplyWindow(QWidget* ventana);

    int ApplyOptions() const { return opciones_; }
    void setApplyOptions(int v) { opciones_ = v; }

    bool cargado() const { return !hoja_.isEmpty(); }
    QString hojaEstilo() const { return hoja_; }
    QString rutaSkin() const { return ruta_; }
    QString archivoAjustes() const { return ajustes_; }

    // The colours of a settings file: entries of its [Colores] section (or,
    // without it, of every section), name -> value.
    static QMap<QString, QString> LeeColores(const QString& archivo);
    // The sheet with every @name of the table replaced (longer names first).
    static QString SustituyeColores(const QString& hoja, const QMap<QString, QString>& colores);

private:
    QString hoja_;
    QString ruta_;
    QString ajustes_;
    int opciones_ = 0;
};

}  // namespace app
