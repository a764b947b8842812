#pragma once

#include "model/RadioImage.h"

// Qt
#include <QString>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// The channel card: one printed page with the 16 channels as the grid shows them and the seven
// settings as their combos show them, under a title with the date.
//
// Every text on it is the program's own: the column titles, setting names and combo entries
// come from the layout the window is built from, the cell texts from the model's cell-text
// rendering (with the held decimal separator), so the card and the window cannot disagree. The
// card shows the records themselves: a row the grid shows empty (its channel not in use) is
// printed with the values its record still holds.
//
// The same painting serves a printer and a PDF writer; nothing here changes the image.

// A4 portrait with 15 mm margins: what the card is laid out for. PrintChannelCard sets it on a
// printer of its own; a caller with its own device (a QPdfWriter, a printer it keeps) sets it
// once before the first card.
void PrepareChannelCardPage(QPagedPaintDevice& device);

// Paints the card on the device's current page, within its margins; a smaller page gets smaller
// type so that everything still fits one page. `dateText` follows the title as it is. False when
// the device cannot be painted on (a printer that is not ready, an unwritable PDF file).
bool RenderChannelCard(QPagedPaintDevice& device, const RadioImage& image, const QString& dateText);

// Shows the print dialog over `parent` (printers, "Print to File (PDF)", paper, copies) and, when
// the user confirms, prints the card dated today (the user's short date format). The printer
// keeps the user's choices for the next card. True when the card was printed.
bool PrintChannelCard(QWidget* parent, const RadioImage& image, QPrinter& printer);
// The same with a printer of its own, prepared with PrepareChannelCardPage.
bool PrintChannelCard(QWidget* parent, const RadioImage& image);
