#pragma once

#include "platform/printers.h"

#include <QPrinter>

#include <vector>

namespace wendolarka {

// A print system for tests: a PDF writer as the printer, forms kept in memory.
class PdfPrinterService final : public IPrinterService {
public:
    explicit PdfPrinterService(const QString& pdfFile, bool installed = true) : m_installed(installed) {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(pdfFile);
    }
    bool PrinterInstalled() const override { return m_installed; }
    QPrinter& printer() override { return m_printer; }
    TDeviceMode deviceMode() const override { return m_mode; }
    void setDeviceMode(const TDeviceMode& mode) override {
        m_mode = mode;
        applyDeviceMode(m_printer, mode);
    }
    std::vector<TPrinterForm> forms() const override { return formList; }
    bool addForm(const TPrinterForm& form) override {
        if (!acceptForms)
            return false;
        formList.push_back(form);
        return true;
    }
    bool deleteForm(const QString& name) override {
        for (auto it = formList.begin(); it != formList.end(); ++it)
            if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
                formList.erase(it);
                return true;
            }
        return false;
    }

    std::vector<TPrinterForm> formList;
    bool acceptForms = true;

private:
    bool m_installed;
    QPrinter m_printer{QPrinter::HighResolution};
    TDeviceMode m_mode;
};

} // namespace wendolarka
