#pragma once

#include "exception.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

namespace wendolarka {

// One picture of one of the four kinds the program reads.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual QString ClassName() const = 0;
    virtual std::unique_ptr<TGraphic> clone() const = 0;
    virtual QSize size() const = 0;
    int Width() const { return size().width(); }
    int Height() const { return size().height(); }
    bool Empty() const { return size().isEmpty(); }
    // What is drawn; a picture that cannot be drawn here gives a null image.
    virtual QImage image() const = 0;
    // The picture in its own file format.
    virtual QByteArray fileData() const = 0;
};

class TBitmap final : public TGraphic {
public:
    TBitmap() = default;
    explicit TBitmap(QImage image) : m_image(std::move(image)) {}
    // Throws "Bitmap image is not valid".
    static std::unique_ptr<TBitmap> fromFileData(const QByteArray& bmp);
    QString ClassName() const override { return QStringLiteral("TBitmap"); }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TBitmap>(*this); }
    QSize size() const override { return m_image.size(); }
    QImage image() const override { return m_image; }
    // The bytes it was read from, unchanged (8-bit and alpha bitmaps stay as
    // they were); a bitmap made in the program is written as 24-bit BMP.
    QByteArray fileData() const override;

private:
    QImage m_image;
    QByteArray m_data;
};

// A picture kept as the bytes of its file, beside the image decoded from them.
class TFileGraphic : public TGraphic {
public:
    QSize size() const override { return m_image.size(); }
    QImage image() const override { return m_image; }
    QByteArray fileData() const override { return m_data; }

protected:
    QByteArray m_data;
    QImage m_image;
};

// A JPEG keeps the bytes it was read from and writes them back unchanged, so a
// photo never loses quality on its way through the program.
class TJPEGImage final : public TFileGraphic {
public:
    TJPEGImage() = default;
    // Throws "JPEG error #n". `maxSide` as decodeJpeg's; the bytes stay whole.
    static std::unique_ptr<TJPEGImage> fromFileData(const QByteArray& jpeg, int maxSide = 0);
    // Encodes a picture at the given quality.
    static std::unique_ptr<TJPEGImage> fromImage(const QImage& image, int quality = 90);
    QString ClassName() const override { return QStringLiteral("TJPEGImage"); }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TJPEGImage>(*this); }
};

class TIcon final : public TFileGraphic {
public:
    TIcon() = default;
    // Throws "Icon image is not valid".
    static std::unique_ptr<TIcon> fromFileData(const QByteArray& ico);
    static std::unique_ptr<TIcon> fromImage(const QImage& image);
    QString ClassName() const override { return QStringLiteral("TIcon"); }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TIcon>(*this); }
};

// An enhanced or placeable Windows metafile, kept as its bytes; its size comes
// from its header.
class TMetafile final : public TGraphic {
public:
    TMetafile() = default;
    // Throws "Metafile is not valid".
    static std::unique_ptr<TMetafile> fromFileData(const QByteArray& data);
    QString ClassName() const override { return QStringLiteral("TMetafile"); }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TMetafile>(*this); }
    QSize size() const override { return m_size; }
    // Played at its own size on a transparent ground, once, when first asked for.
    QImage image() const override;
    QByteArray fileData() const override { return m_data; }
    bool Enhanced() const { return m_enhanced; }

private:
    QByteArray m_data;
    QSize m_size;
    bool m_enhanced = false;
    mutable QImage m_played;
    mutable bool m_isPlayed = false;
};

// Holds at most one graphic; loads and saves pictures by their file's extension.
class TPicture {
public:
    TPicture() = default;
    explicit TPicture(std::unique_ptr<TGraphic> graphic) : m_graphic(std::move(graphic)) {}
    TPicture(const TPicture& other) : m_graphic(other.m_graphic ? other.m_graphic->clone() : nullptr) {}
    TPicture& operator=(const TPicture& other);
    TPicture(TPicture&&) noexcept = default;
    TPicture& operator=(TPicture&&) noexcept = default;

    const TGraphic* Graphic() const { return m_graphic.get(); }
    void setGraphic(std::unique_ptr<TGraphic> graphic) { m_graphic = std::move(graphic); }
    bool isEmpty() const { return !m_graphic || m_graphic->Empty(); }
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }
    QImage image() const { return m_graphic ? m_graphic->image() : QImage(); }

    // By extension, any letter case: bmp, ico, emf, wmf, jpg, jpeg. Throws
    // "Unknown picture file extension (.%s)", "Cannot open file %s" or the decoder's message.
    static TPicture LoadFromFile(const QString& fileName);
    // Bytes kept in a database: the format is told by the content (JPEG, BMP,
    // icon, enhanced or placeable metafile), not by a name. Empty bytes give an
    // empty picture. Throws the decoder's message, or "Zapisane dane nie są
    // obrazem w żadnym ze znanych formatów." for anything else.
    static TPicture FromStoredBytes(const QByteArray& bytes);
    // The graphic's own format. Throws "Cannot create file %s".
    void SaveToFile(const QString& fileName) const;

private:
    std::unique_ptr<TGraphic> m_graphic;
};

// The "Picture.Data" payload of a layout template: the picture's class name as
// a short string, then its data (a length first, but for icons). An empty
// picture gives empty data.
QByteArray pictureToStreamData(const TPicture& picture);
// A class name the program does not know gives an empty picture; damaged data
// throws the decoder's message, or "Picture data is not valid" for lengths
// that do not fit.
TPicture pictureFromStreamData(const QByteArray& data);

// Writes bytes to a file, or throws "Cannot create file %s".
void writeFileOrThrow(const QString& fileName, const QByteArray& data);

} // namespace wendolarka
