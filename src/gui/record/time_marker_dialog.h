#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace qv {

class CaptureLog;

// "Time Marker Properties": the captures of the graph's capture file, stepping through them,
// and their comments, typed on the on-screen keyboard or a real one. Modeless; hidden, never
// destroyed, while the program runs.
class CTimeMarkerDialog : public QDialog {
  Q_OBJECT

 public:
  CTimeMarkerDialog(CaptureLog& captures, QWidget* parent = nullptr);

  // The list again from the captures, with the current marker selected.
  void Refresh();
  // The next and the previous marker, wrapping; nothing while no row is selected.
  void NextMarker();
  void PreviousMarker();

  QTreeWidget* List() const { return list_; }
  QLabel* MarkerLabel() const { return label_; }
  QLineEdit* CommentBox() const { return comment_; }
  QPushButton* Button(const QString& text) const;
  bool Expanded() const;

 private:
  void OnSelectionChanged();
  void ShowMarkerNumber(int index);
  void AddComment();
  void ToggleExpanded();
  int SelectedRow() const;

  CaptureLog& captures_;
  QTreeWidget* list_;
  QLabel* label_;
  QLineEdit* comment_;
  QPushButton* expander_;
  QWidget* entry_panel_;  // the comment entry and keyboard, shown when expanded
};

}  // namespace qv
