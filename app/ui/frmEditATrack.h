#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QAction;

namespace kurvex {
class KurvexControl;
}

namespace tervo {

class TrackEditor;
class TrackStore;
class frmBasicOperations;

// The points of the editor's selected cycle; the headings are the grid's fixed top row, so
// model row i is grid row i + 1.
class EditorGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EditorGridModel(TrackEditor &editor, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The editor's cycle or track changed.
    void reload();
    void rowChanged(int gridRow);

private:
    TrackEditor &m_editor;
};

// "Edit A Track": the points of the main window's current track, one cycle at a time, beside a
// preview on which the selected point is marked.
class frmEditATrack : public QWidget {
    Q_OBJECT
public:
    frmEditATrack(TrackEditor &editor, TrackStore &store, QWidget *parent = nullptr);
    ~frmEditATrack() override;

    // Follows the main window's current track (what activating the window does).
    void follow();
    // Rebuilds the cycle list, the grid and the preview.
    void reload();
    // "Delete" on the selected grid rows.
    void deleteSelected();
    void openBasicOperations();
    frmBasicOperations *basicOperations() const { return m_basic; }
    kurvex::KurvexControl *canvas() const { return m_canvas; }

    QComboBox *cbxCycleNum = nullptr;
    QTableView *DataGrid = nullptr;
    QLineEdit *txtEdit = nullptr;
    QWidget *PrevGraph = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuBasicOperations = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void redraw();
    void cellChosen(const QModelIndex &index);
    void enterPressed();

    TrackEditor &m_editor;
    TrackStore &m_store;
    EditorGridModel m_model;
    kurvex::KurvexControl *m_canvas = nullptr;
    bool m_drawn = false;
    QTimer m_redrawTimer;
    QPointer<frmBasicOperations> m_basic;
};

// "Basic Operations": + - * / of an operand on the checked columns of the editor's cycle,
// previewed before it is applied.
class frmBasicOperations : public QWidget {
    Q_OBJECT
public:
    frmBasicOperations(TrackEditor &editor, QWidget *parent = nullptr);

    // What opening the window does: "+" chosen, Update disabled until a preview.
    void reset();

    std::array<QCheckBox *, 3> chkCh{};
    std::array<QRadioButton *, 4> opnOperation{};
    QLineEdit *txtOperand = nullptr;
    QPushButton *cmdPreview = nullptr;
    QPushButton *cmdUpdate = nullptr;

signals:
    void previewed();
    void updated();

private:
    TrackEditor &m_editor;
};

} // namespace tervo
