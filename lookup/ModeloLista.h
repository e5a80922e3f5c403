#pragma once
// Rows of the lookup list: one text per column (column 0 is the row's own text,
// the others its sub-items), an optional check mark and an optional stock colour.
// Kept as plain vectors so that a list of 100 000 rows costs one model, not one
// widget item per cell.
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace consulta {

class ModeloLista : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Fila {
        std::vector<QString> celdas;
        bool marcada = false;
        bool coloreada = false;   // drawn bold in `color`
        QColor color;
    };

    explicit ModeloLista(QObject* parent = nullptr);

    // --- Columns --------------------------------------------------------------
    // Removes every column (and every row).
    void limpiarColumnas();
    void agregarColumna(const QString& titulo);
    QString titulo(int columna) const;
    int columnas() const { return static_cast<int>(titulos_.size()); }

    // --- Rows -------------------------------------------------------------------
    void limpiarFilas();
    // Appends many rows in one model notification.
    void agregarFilas(std::vector<Fila>&& filas);
    void agregarFila(Fila fila);
    int filas() const { return static_cast<int>(filas_.size()); }
    const Fila& fila(int i) const { return filas_[static_cast<size_t>(i)]; }
    // Text of a cell; empty for a cell the row does not have.
    QString celda(int fila, int columna) const;
    void fijarCelda(int fila, int columna, const QString& texto);

    // --- Check marks --------------------------------------------------------------
    void fijarCasillas(bool si);
    bool casillas() const { return casillas_; }
    bool marcada(int fila) const { return filas_[static_cast<size_t>(fila)].marcada; }
    void marcar(int fila, bool si);
    void marcarTodas(bool si);
    void invertirMarcas();

    // First row (0-based, list order) whose cell of the column, trimmed, begins
    // with valor trimmed, ignoring case; -1 when none.
    int buscar(int columna, QStringView valor) const;

    // Sorts the rows by the text of a column, ignoring case; stable.
    void ordenar(int columna, Qt::SortOrder orden);

    // --- QAbstractTableModel -----------------------------------------------------------
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override { ordenar(column, order); }

private:
    std::vector<QString> titulos_;
    std::vector<Fila> filas_;
    bool casillas_ = false;
    QFont negrita_;
};

}  // namespace consulta
