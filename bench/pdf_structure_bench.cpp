// What the document structure of a long report's PDF costs, written by our
// object writer and by libqpdf: the page streams of a PDF this program wrote
// are read back and written again as a document of the same pages, by each,
// timed apart from the pages' content (which both take as it is).
// Usage: pdf_structure_bench FILE.pdf (e.g. R_ProcList.pdf of bench/large.mdb)

#include "host/reports/pdfobjectwriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <string>
#include <vector>

namespace {

qint64 writeWithOurs(const std::vector<std::string> &streams, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    PdfObjectWriter out(file);
    const int catalog = out.reserve();
    const int pages = out.reserve();
    const int info = out.reserve();
    QByteArray kids;
    for (const std::string &stream : streams) {
        const int page = out.reserve();
        const int content = out.reserve();
        out.beginObject(page);
        out.write("<</Type /Page /Parent " + QByteArray::number(pages) +
                  " 0 R /MediaBox [0 0 595.28 841.89] /Resources <<>> /Contents " +
                  QByteArray::number(content) + " 0 R>>");
        out.endObject();
        out.writeStream(content, "/Filter /FlateDecode",
                        QByteArray::fromRawData(stream.data(), qsizetype(stream.size())));
        kids += QByteArray::number(page) + " 0 R ";
    }
    out.beginObject(pages);
    out.write("<</Type /Pages /Count " + QByteArray::number(qsizetype(streams.size())) +
              " /Kids [" + kids + "]>>");
    out.endObject();
    out.beginObject(catalog);
    out.write("<</Type /Catalog /Pages " + QByteArray::number(pages) + " 0 R>>");
    out.endObject();
    out.beginObject(info);
    out.write("<</Producer (bench)>>");
    out.endObject();
    return out.finish(catalog, info) ? timer.elapsed() : -1;
}

qint64 writeWithQpdf(const std::vector<std::string> &streams, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper document(pdf);
    for (const std::string &stream : streams) {
        QPDFObjectHandle content = QPDFObjectHandle::newStream(&pdf);
        content.replaceStreamData(stream, QPDFObjectHandle::newName("/FlateDecode"),
                                  QPDFObjectHandle::newNull());
        QPDFObjectHandle page = QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 595.28 841.89] /Resources << >> >>");
        page.replaceKey("/Contents", content);
        document.addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
    }
    QPDFWriter writer(pdf, path.toLocal8Bit().constData());
    writer.setStreamDataMode(qpdf_s_preserve); // the streams are compressed already
    writer.write();
    return timer.elapsed();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pdf_structure_bench FILE.pdf\n");
        return 2;
    }
    std::vector<std::string> streams;
    try {
        QPDF in;
        in.processFile(argv[1]);
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(in).getAllPages()) {
            const auto data = page.getObjectHandle().getKey("/Contents").getRawStreamData();
            streams.emplace_back(reinterpret_cast<const char *>(data->getBuffer()),
                                 data->getSize());
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.pdf"));
    const QString qpdf = dir.filePath(QStringLiteral("qpdf.pdf"));
    const qint64 oursMs = writeWithOurs(streams, ours);
    const qint64 qpdfMs = writeWithQpdf(streams, qpdf);
    std::printf("%zu pages: our object writer %lld ms (%lld bytes), libqpdf %lld ms (%lld bytes)\n",
                streams.size(), static_cast<long long>(oursMs),
                static_cast<long long>(QFile(ours).size()), static_cast<long long>(qpdfMs),
                static_cast<long long>(QFile(qpdf).size()));
    return oursMs < 0 ? 1 : 0;
}
