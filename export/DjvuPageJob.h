#pragma once

#include <QString>
#include <QStringList>

// One page's encoder run for the DjVu file: which encoder, its arguments and the file it
// promises. JPEG pages of 8 bits or more go to the wavelet encoder and 1-bit TIFF pages to
// the bitonal encoder as they are; every other readable page is first written into the work
// folder in a form the encoders read (PBM for 1-bit pages, PGM or PPM otherwise), so that no
// page kind is left out.
// Any thread; prepare() decodes the page and writes only inside the work folder.
class DjvuPageJob
{
public:
    enum class Encoder
    {
        Wavelet, // c44: colour and grey
        Bitonal, // cjb2: black and white
    };

    // position: the page's 0-based place in the list; it names every file of the page, so
    // that pages with the same file name in different folders never meet. percent: the
    // wavelet encoder's size target.
    static DjvuPageJob prepare(const QString &page, int position, const QString &workFolder,
                               int percent);
    // Names the page's output by position: the order djvm gets them in.
    static QString outputName(int position);

    bool isValid() const { return m_error.isEmpty(); }
    // Why the page cannot be encoded; empty when it can.
    const QString &error() const { return m_error; }
    Encoder encoder() const { return m_encoder; }
    // The tool's name on PATH and in the "djvu" folder.
    QString toolName() const;
    const QStringList &arguments() const { return m_arguments; }
    // The per-page DjVu file the encoder must leave behind.
    const QString &output() const { return m_output; }

private:
    Encoder m_encoder = Encoder::Wavelet;
    QStringList m_arguments;
    QString m_output;
    QString m_error;
};
