#pragma once

#include <QString>
#include <functional>
#include <string>

class QDialog;
class QPrinter;
class QWidget;

namespace qv {

class Alerts;
class CDisplay;
class FileChooser;

// A file name typed without an extension gets the file kind's own.
std::string WithExtension(std::string path, const char* extension);

// What the graph gives out: the snapshot, the printed page and the traces as CSV. Failures go to
// the alerts, files are asked for through the chooser.
class GraphOutputs {
 public:
  // `run_dialog` runs the dialogs modally, or as a test scripts them (true on OK); `parent` owns
  // the dialogs while they show. All are the view's and outlive this.
  GraphOutputs(CDisplay& display, Alerts& alerts, QWidget& parent,
               const std::function<bool(QDialog&)>& run_dialog);

  // Not owned; without a chooser no file is asked for, without a printer nothing is printed.
  void SetFileChooser(FileChooser* chooser) { chooser_ = chooser; }
  void SetPrinter(QPrinter* printer) { printer_ = printer; }

  void Snapshot();
  // File, "Export Traces...": asks for a file and writes the shown traces there as CSV.
  void ExportTraces();
  void PrintPreview();
  void Print();
  // Prints the graph as the Print command would, into a PDF file; false when it cannot.
  bool PrintToPdf(const QString& path);
  void PrintColourOptions();

 private:
  CDisplay& display_;
  Alerts& alerts_;
  QWidget& parent_;
  const std::function<bool(QDialog&)>& run_dialog_;
  FileChooser* chooser_ = nullptr;
  QPrinter* printer_ = nullptr;
};

}  // namespace qv
