#pragma once

#include <QByteArray>

#include <podofo/podofo.h>

class QSaveFile;

// A PoDoFo output device writing into an open QSaveFile, so that a PDF streamed page by page
// still replaces the old file only when complete. The first write error throws PdfError
// (which stops PoDoFo) and is remembered for telling it apart from a page that failed to
// load; later output is dropped.
// Internal to PdfWriter: this header needs PoDoFo. One thread at a time.
class PdfSaveFileDevice : public PoDoFo::PdfOutputDevice
{
public:
    explicit PdfSaveFileDevice(QSaveFile *file);

    bool hasFailed() const { return m_failed; }
    // From now on output is dropped silently: the document being abandoned may still write
    // while it is destroyed, where an exception would end the program.
    void discard() { m_discarding = true; }

    size_t GetLength() const override { return m_length; }
    void Print(const char *format, ...) override;
    void PrintV(const char *format, long bytes, va_list arguments) override;
    void Write(const char *buffer, size_t length) override;
    size_t Read(char *buffer, size_t length) override;
    void Seek(size_t offset) override;
    size_t Tell() const override { return m_position; }
    // Hands what is gathered to the file; throws when the file refuses it. Also called by
    // the writer before the file is committed.
    void Flush() override;

private:
    void writeGathered();

    QSaveFile *m_file;
    size_t m_length = 0;
    size_t m_position = 0;
    bool m_failed = false;
    bool m_discarding = false;
    // Output is gathered into large writes: PoDoFo hands over a few kilobytes at a time.
    QByteArray m_gathered;
};
