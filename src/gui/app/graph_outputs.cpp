#include "gui/app/graph_outputs.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/app/alerts.h"
#include "core/app/file_chooser.h"
#include "core/control/snapshot_print.h"
#include "gui/app/printing.h"
#include "gui/app/snapshot.h"
#include "gui/display/display.h"
#include "gui/record/trace_export.h"

namespace qv {

std::string WithExtension(std::string path, const char* extension) {
  if (QFileInfo(QString::fromStdString(path)).suffix().isEmpty()) path += extension;
  return path;
}

GraphOutputs::GraphOutputs(CDisplay& display, Alerts& alerts, QWidget& parent,
                           const std::function<bool(QDialog&)>& run_dialog)
    : display_(display), alerts_(alerts), parent_(parent), run_dialog_(run_dialog) {}

void GraphOutputs::Snapshot() {
  // The graph as it is now, before a file dialog covers it.
  const QImage image = GraphSnapshot(display_);
  if (image.isNull() || chooser_ == nullptr) return;
  std::string chosen_type;
  const std::optional<std::string> chosen =
      chooser_->SaveFileName("Save As", kSnapshotFilter, "ZN Snapshot.bmp", &chosen_type);
  if (!chosen) return;
  const QString path = QString::fromStdString(SnapshotPath(*chosen, chosen_type));
  std::string error;
  if (!SaveSnapshotImage(image, path, &error)) {
    alerts_.Show("The snapshot could not be saved.\n" + error, "Snapshot Alert !");
  }
}

void GraphOutputs::ExportTraces() {
  if (chooser_ == nullptr) return;
  const std::optional<std::string> chosen =
      chooser_->SaveFileName("Export Traces", "CSV File (*.csv)", "Traces.csv");
  if (!chosen) return;
  std::string error;
  if (!qv::ExportTraces(display_, WithExtension(*chosen, ".csv"), &error)) {
    alerts_.Show("The traces could not be exported.\n" + error, "Export Alert !");
  }
}

void GraphOutputs::PrintPreview() {
  if (printer_ == nullptr) return;
  TurnPageFor(*printer_, display_.size());
  display_.SetPrinting(true);
  QPrintPreviewDialog dialog(printer_, &parent_);
  // The page follows any turn the user gives it in the preview.
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [this](QPrinter* printer) { PrintGraph(*printer, display_.Scene()); });
  run_dialog_(dialog);
  display_.EndPrinting();
}

void GraphOutputs::Print() {
  if (printer_ == nullptr) return;
  TurnPageFor(*printer_, display_.size());
  display_.SetPrinting(true);
  QPrintDialog dialog(printer_, &parent_);
  if (run_dialog_(dialog) && !PrintGraph(*printer_, display_.Scene())) {
    alerts_.Show("The graph could not be printed.", "Print Alert !");
  }
  display_.EndPrinting();
}

bool GraphOutputs::PrintToPdf(const QString& path) {
  QPrinter pdf(QPrinter::HighResolution);
  pdf.setOutputFormat(QPrinter::PdfFormat);
  pdf.setOutputFileName(path);
  TurnPageFor(pdf, display_.size());
  display_.SetPrinting(true);
  const bool printed = PrintGraph(pdf, display_.Scene());
  display_.EndPrinting();
  return printed;
}

void GraphOutputs::PrintColourOptions() {
  CPrintOptionDialog dialog(display_.PrintColourOption(), &parent_);
  if (run_dialog_(dialog) && dialog.Option() != 0) {
    display_.SetPrintColourOption(dialog.Option());
  }
}

}  // namespace qv
