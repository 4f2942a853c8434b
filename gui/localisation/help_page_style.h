#pragma once

class QPalette;
class QTextDocument;

namespace quillon {

/// Makes a loaded help page readable in `palette`, light or dark. The page's
/// own colours stay where they read well: a colour of text is kept when it
/// has the readable contrast (kReadableContrast) against what lies under it,
/// and otherwise the palette's text colour takes its place; a background
/// the page gives is kept when the palette's text reads on it, and otherwise
/// the palette's alternate base takes its place. Links take the palette's
/// link colour. The page's own colours are kept in the document, so the
/// page can follow any later palette.
void FitPageToPalette(QTextDocument* page, const QPalette& palette);

/// Lets the page fit `width` pixels without a horizontal scroll bar:
/// pictures wider than that are shown scaled down to it (never up), and
/// preformatted lines may wrap.
void FitPageToWidth(QTextDocument* page, double width);

}  // namespace quillon
