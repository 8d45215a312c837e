#include "PdfSaveFileDevice.h"

#include <QSaveFile>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

using PoDoFo::PdfError;

namespace {
constexpr qsizetype GatherBytes = 1 << 20;
} // namespace

PdfSaveFileDevice::PdfSaveFileDevice(QSaveFile *file) : m_file(file)
{
    m_gathered.reserve(2 * GatherBytes);
}

void PdfSaveFileDevice::Print(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const long bytes = PrintVLen(format, arguments);
    va_end(arguments);
    va_start(arguments, format);
    PrintV(format, bytes, arguments);
    va_end(arguments);
}

void PdfSaveFileDevice::PrintV(const char *format, long bytes, va_list arguments)
{
    if (bytes < 0)
        PODOFO_RAISE_ERROR(PoDoFo::ePdfError_InvalidDataType);
    std::vector<char> text(size_t(bytes) + 1);
    vsnprintf(text.data(), text.size(), format, arguments);
    Write(text.data(), size_t(bytes));
}

void PdfSaveFileDevice::Write(const char *buffer, size_t length)
{
    // After a failure the document is abandoned; it may still write while being destroyed.
    if (m_discarding || m_failed)
        return;
    m_gathered.append(buffer, qsizetype(length));
    if (m_gathered.size() >= GatherBytes)
        writeGathered();
    m_position += length;
    m_length = std::max(m_length, m_position);
}

void PdfSaveFileDevice::writeGathered()
{
    if (m_gathered.isEmpty() || m_discarding || m_failed)
        return;
    const bool written = m_file->write(m_gathered) == m_gathered.size();
    // Keeps its memory for the next round: fresh pages for every megabyte cost more.
    m_gathered.resize(0);
    if (!written) {
        m_failed = true;
        PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_UnexpectedEOF, "cannot write the PDF file");
    }
}

size_t PdfSaveFileDevice::Read(char *, size_t)
{
    // PoDoFo only reads back for incremental updates, which a new document never makes.
    PODOFO_RAISE_ERROR(PoDoFo::ePdfError_InternalLogic);
}

void PdfSaveFileDevice::Seek(size_t offset)
{
    writeGathered();
    if (!m_file->seek(qint64(offset))) {
        m_failed = true;
        PODOFO_RAISE_ERROR(PoDoFo::ePdfError_ValueOutOfRange);
    }
    m_position = offset;
}

void PdfSaveFileDevice::Flush()
{
    // QSaveFile flushes and syncs when it commits.
    writeGathered();
}
