#include "lookup/ModeloLista.h"

#include <algorithm>
#include <numeric>

namespace consulta {

ModeloLista::ModeloLista(QObject* parent) : QAbstractTableModel(parent)
{
    negrita_.setBold(true);
}

void ModeloLista::limpiarColumnas()
{
    beginResetModel();
    titulos_.clear();
    filas_.clear();
    endResetModel();
}

void ModeloLista::agregarColumna(const QString& titulo)
{
    const int n = columnas();
    beginInsertColumns(QModelIndex(), n, n);
    titulos_.push_back(titulo);
    endInsertColumns();
}

QString ModeloLista::titulo(int columna) const
{
    if (columna < 0 || columna >= columnas()) return QString();
    return titulos_[static_cast<size_t>(columna)];
}

void ModeloLista::limpiarFilas()
{
    if (filas_.empty()) return;
    beginResetModel();
    filas_.clear();
    endResetModel();
}

void ModeloLista::agregarFilas(std::vector<Fila>&& nuevas)
{
    if (nuevas.empty()) return;
    const int desde = filas();
    beginInsertRows(QModelIndex(), desde, desde + static_cast<int>(nuevas.size()) - 1);
    if (filas_.empty()) {
        filas_ = std::move(nuevas);
    } else {
        filas_.reserve(filas_.size() + nuevas.size());
        std::move(nuevas.begin(), nuevas.end(), std::back_inserter(filas_));
    }
    endInsertRows();
}

void ModeloLista::agregarFila(Fila f)
{
    const int n = filas();
    beginInsertRows(QModelIndex(), n, n);
    filas_.push_back(std::move(f));
    endInsertRows();
}

QString ModeloLista::celda(int f, int c) const
{
    if (f < 0 || f >= filas() || c < 0) return QString();
    const auto& celdas = filas_[static_cast<size_t>(f)].celdas;
    if (c >= static_cast<int>(celdas.size())) return QString();
    return celdas[static_cast<size_t>(c)];
}

void ModeloLista::fijarCelda(int f, int c, const QString& texto)
{
    if (f < 0 || f >= filas() || c < 0) return;
    auto& celdas = filas_[static_cast<size_t>(f)].celdas;
    if (c >= static_cast<int>(celdas.size())) celdas.resize(static_cast<size_t>(c) + 1);
    celdas[static_cast<size_t>(c)] = texto;
    const QModelIndex i = index(f, c);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void ModeloLista::fijarCasillas(bool si)
{
    if (casillas_ == si) return;
    casillas_ = si;
    if (!filas_.empty()) emit dataChanged(index(0, 0), index(filas() - 1, 0), {Qt::CheckStateRole});
}

void ModeloLista::marcar(int f, bool si)
{
    if (f < 0 || f >= filas()) return;
    filas_[static_cast<size_t>(f)].marcada = si;
    const QModelIndex i = index(f, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void ModeloLista::marcarTodas(bool si)
{
    for (auto& f : filas_) f.marcada = si;
    if (!filas_.empty()) emit dataChanged(index(0, 0), index(filas() - 1, 0), {Qt::CheckStateRole});
}

void ModeloLista::invertirMarcas()
{
    for (auto& f : filas_) f.marcada = !f.marcada;
    if (!filas_.empty()) emit dataChanged(index(0, 0), index(filas() - 1, 0), {Qt::CheckStateRole});
}

namespace {

// texto, without its leading blanks, begins with buscado (already trimmed),
// ignoring case. Trailing blanks of texto never matter: buscado does not end
// in one. Written out because it runs once per row on every keystroke.
inline bool empiezaCon(QStringView texto, QStringView buscado)
{
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n && QChar::isSpace(texto[i].unicode())) ++i;
    if (n - i < buscado.size()) return false;
    for (qsizetype j = 0; j < buscado.size(); ++j) {
        const char16_t a = texto[i + j].unicode();
        const char16_t b = buscado[j].unicode();
        if (a == b) continue;
        if (a < 128 && b < 128) {
            const char16_t la = a | 0x20;
            if (la == (b | 0x20) && la >= u'a' && la <= u'z') continue;
            return false;
        }
        if (QChar::toCaseFolded(a) != QChar::toCaseFolded(b)) return false;
    }
    return true;
}

}  // namespace

int ModeloLista::buscar(int columna, QStringView valor) const
{
    if (columna < 0) return -1;
    const QStringView buscado = valor.trimmed();
    const size_t c = static_cast<size_t>(columna);
    for (size_t i = 0; i < filas_.size(); ++i) {
        const auto& celdas = filas_[i].celdas;
        const QStringView texto = c < celdas.size() ? QStringView(celdas[c]) : QStringView();
        if (empiezaCon(texto, buscado)) return static_cast<int>(i);
    }
    return -1;
}

void ModeloLista::ordenar(int columna, Qt::SortOrder orden)
{
    if (columna < 0 || filas_.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // Folded keys once, then plain comparisons: a sort of 100 000 rows must not
    // fold the same texts over and over.
    const size_t c = static_cast<size_t>(columna);
    std::vector<QString> claves(filas_.size());
    for (size_t i = 0; i < filas_.size(); ++i) {
        const auto& celdas = filas_[i].celdas;
        if (c < celdas.size()) claves[i] = celdas[c].toCaseFolded();
    }
    std::vector<int> perm(filas_.size());
    std::iota(perm.begin(), perm.end(), 0);
    if (orden == Qt::AscendingOrder)
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return claves[a] < claves[b]; });
    else
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return claves[b] < claves[a]; });

    std::vector<Fila> nuevas;
    nuevas.reserve(filas_.size());
    std::vector<int> nuevaPosicion(filas_.size());
    for (size_t i = 0; i < perm.size(); ++i) {
        nuevaPosicion[static_cast<size_t>(perm[i])] = static_cast<int>(i);
        nuevas.push_back(std::move(filas_[static_cast<size_t>(perm[i])]));
    }
    filas_ = std::move(nuevas);

    // The selection follows its row.
    const QModelIndexList viejos = persistentIndexList();
    QModelIndexList nuevos;
    nuevos.reserve(viejos.size());
    for (const QModelIndex& i : viejos) {
        if (i.isValid() && i.row() < static_cast<int>(nuevaPosicion.size()))
            nuevos.push_back(index(nuevaPosicion[static_cast<size_t>(i.row())], i.column()));
        else
            nuevos.push_back(QModelIndex());
    }
    changePersistentIndexList(viejos, nuevos);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ModeloLista::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : filas();
}

int ModeloLista::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnas();
}

QVariant ModeloLista::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= filas()) return {};
    const Fila& f = filas_[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return celda(index.row(), index.column());
        case Qt::CheckStateRole:
            if (casillas_ && index.column() == 0) return f.marcada ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (f.coloreada) return f.color;
            return {};
        case Qt::FontRole:
            if (f.coloreada) return negrita_;
            return {};
        default:
            return {};
    }
}

bool ModeloLista::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= filas()) return false;
    if (role == Qt::CheckStateRole && casillas_ && index.column() == 0) {
        marcar(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    return false;
}

QVariant ModeloLista::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return titulo(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ModeloLista::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    // Row labels are never edited.
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (casillas_ && index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

}  // namespace consulta
