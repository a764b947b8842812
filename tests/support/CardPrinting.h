#pragma once

#include "app/ChannelCard.h"

// Qt
#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

// std
#include <functional>

// Prints the card through its print dialog to the PDF file `path`; once the dialog is up,
// `answer` confirms or cancels it and says whether it managed to. Returns PrintChannelCard's
// result; `answered` tells whether the dialog was there and answered.
inline bool PrintCardToFile(const QString& path, const RadioImage& image,
                            const std::function<bool(QPrintDialog&)>& answer, bool& answered)
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareChannelCardPage(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    answered = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        answered = answer(*dialog);
        if (!answered)
            dialog->reject(); // the caller reports the failure; it must not hang
    });
    return PrintChannelCard(nullptr, image, printer);
}
