#pragma once

#include <report/pwprinter.h>
#include <report/pwreport.h>

#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <memory>

namespace report {

class EmfPage;

/// The page image inside the preview control: one page of the printer object at a zoom,
/// drawn with its outline and shadow. It keeps its own copy of the page's recording and a
/// rendering of it for the screen it is on.
class TPWPreviewImage : public QWidget
{
    Q_OBJECT
public:
    explicit TPWPreviewImage(QWidget *parent = nullptr);
    ~TPWPreviewImage() override;

    int PageNumber() const { return m_pageNumber; }
    /// Fetches page n from the printer object (none: an empty sheet).
    void setPage(TPWPrinter *printer, int n);
    const EmfPage *page() const { return m_page.get(); }
    int Zoom() const { return m_zoom; }
    void setZoom(int zoom) { m_zoom = zoom; }
    /// Size and drawing follow the printer's paper at the zoom.
    void updateSize(TPWPrinter *printer);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_pageNumber = 0;
    int m_zoom = 100;
    int m_cacheZoom = 0;
    std::unique_ptr<EmfPage> m_page;
    QPixmap m_cache;
};

/// The preview control: a scrolling view of one page of a printer object, with zoom and page
/// selection. It is the printer object's client while bound to it.
class TPWPreview : public QScrollArea, public PrinterClient
{
    Q_OBJECT
public:
    explicit TPWPreview(QWidget *parent = nullptr);
    ~TPWPreview() override;

    TPWPrinter *PWPrinter() const { return m_printer; }
    /// Binds a printer object (none: unbinds): the control becomes its client, marks it as
    /// showing a preview and shows page 1.
    void setPrinter(TPWPrinter *printer);

    int PageNumber() const { return m_image->PageNumber(); }
    /// Shows page n; the shown page (with an image), n below 1 and n above the page count
    /// are ignored. Scrolls to the top-left corner.
    void SetPageNumber(int n);
    int Zoom() const { return m_zoom; }
    /// Values below 2 or above 2000 are ignored; the state becomes pwZoomOther.
    void setZoom(int zoom);
    TPWZoomState zoomState() const { return m_zoomState; }
    void ZoomToFit();
    void ZoomToWidth();
    /// Fits again when the state asks for it, then recomputes the image.
    void UpdateZoom();
    /// Fetches the shown page again and redraws it.
    void UpdateImage();
    TPWPreviewImage *image() const { return m_image; }
    /// The page count the control knows of.
    int pageCount() const;

    /// Scroll increments of the arrow keys and the wheel.
    static constexpr int HorizontalIncrement = 52;
    static constexpr int VerticalIncrement = 43;

    // PrinterClient
    void pageAvailable(int availablePages) override;
    void progressUpdate(int percent) override;
    QObject *clientObject() override { return this; }

signals:
    void OnPageAvailable(int availablePages);
    void OnProgressUpdate(int percent);
    void zoomChanged(int zoom);
    void pageChanged(int page);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void applyZoom(int zoom, TPWZoomState state);
    /// Places the image: centred on an axis where it is smaller than the control.
    void placeImage();
    void scrollHome();
    QSize page100() const;

    QPointer<TPWPrinter> m_printer;
    QWidget *m_sheet; // what scrolls: the image on a backdrop at least as large as the control
    TPWPreviewImage *m_image;
    int m_zoom = 100;
    TPWZoomState m_zoomState = TPWZoomState::pwZoomOther;
    int m_available = 0;
};

} // namespace report
