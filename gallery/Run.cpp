// The gallery run: checks the output directory, prepares every entry, writes the page.
#include "gallery/Run.h"

#include "imaging/Bitmap.h"
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "gallery/ListedFiles.h"
#include "imaging/Orientation.h"
#include "gallery/Naming.h"
#include "gallery/OutputFile.h"
#include "gallery/Page.h"

#include <cmath>
#include <cstdint>
#include <new>

namespace kameola {

namespace {

// round(width × h ÷ w) with halves to even: the product in 32-bit integer arithmetic
// (wrapping as such arithmetic does), the quotient in floating point. Division by zero
// raises the floating-point errors instead of giving NaN or infinity.
int ThumbHeight(int thumbWidth, int h, int w)
{
    auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(thumbWidth) *
                                              static_cast<std::uint32_t>(h));
    if (w == 0) {
        if (product == 0)
            throw EInvalidOp();
        throw EZeroDivide();
    }
    return static_cast<int>(std::nearbyint(static_cast<double>(product) / w));
}

// Copies a file by the copy rule: never over an existing file, failures only reported to
// the host, which may tell the user but does not stop the run.
void CopyByRule(const std::string& source, const std::string& target, RunHost& host)
{
    std::string reason;
    if (!CopyFileNoReplace(source, target, &reason))
        host.CopySkipped(source, target, reason);
}

void SaveSmallImage(TJPEGImage& jpeg, const TBitmap& stretched, const std::string& path)
{
    jpeg.AssignBitmap(stretched);
    jpeg.CompressJpeg();
    WriteFileReplacing(path, jpeg.Data().Bytes);
}

// Restores the host's cursor when the run leaves its busy part, normally or by an error.
class BusyCursor {
public:
    explicit BusyCursor(RunHost& host) : m_host(host) { m_host.ShowBusyCursor(); }
    ~BusyCursor() { Restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void Restore()
    {
        if (m_busy) {
            m_busy = false;
            m_host.RestoreCursor();
        }
    }

private:
    RunHost& m_host;
    bool m_busy = true;
};

} // namespace

std::pair<int, int> PrepareEntry(const std::string& path, const GalleryJob& job)
{
    int width = job.ThumbWidth;
    int height = static_cast<int>(std::nearbyint(job.ThumbWidth * 0.75));
    FileClass fileClass = ClassifyExtension(path);
    std::string smallPath = JoinOutputPath(job.OutputDir, SmallImageName(BaseName(path), fileClass));

    if (fileClass == FileClass::Bmp) {
        TBitmap picture;
        picture.LoadBmpFile(path);
        height = ThumbHeight(job.ThumbWidth, picture.Height(), picture.Width());
        if (job.MakeSmallImages) {
            TBitmap stretched = StretchPicture(picture, width, height);
            TJPEGImage jpeg;
            SaveSmallImage(jpeg, stretched, smallPath);
        }
    } else if (fileClass == FileClass::Jpeg) {
        TJPEGImage jpeg;
        jpeg.LoadJpegFile(path);
        // The whole stream is decoded, so a damaged file stops the run, but only the rows a
        // nearest-neighbour stretch samples are made into pixels: with the same errors and
        // the same small image as a full decode. The header gives the size. Without small
        // images a 1 × 1 stretch checks the stream without keeping a large picture. An
        // empty stream has no header, so it is decoded (and refused) first.
        if (jpeg.Data().Bytes.empty())
            jpeg.DecodeJpeg();
        // Size and small image follow the picture as shown upright (Exif orientation): the
        // small image is sampled from the stored picture at the stored-orientation size,
        // then turned; it is written without Exif.
        const int orientation = jpeg.Orientation();
        const bool swap = SwapsSides(orientation);
        height = swap ? ThumbHeight(job.ThumbWidth, jpeg.Width(), jpeg.Height())
                      : ThumbHeight(job.ThumbWidth, jpeg.Height(), jpeg.Width());
        if (!job.MakeSmallImages) {
            StretchPicture(jpeg, 1, 1);
        } else {
            TBitmap stretched = swap ? StretchPicture(jpeg, height, width)
                                     : StretchPicture(jpeg, width, height);
            // The same JPEG picture encodes it, so a progressive source stays progressive.
            SaveSmallImage(jpeg, OrientUpright(stretched, orientation), smallPath);
        }
    }
    return {width, height};
}

void ConvertBmpToJpeg(const std::string& path, const std::string& directory)
{
    if (!FileExists(path))
        return;
    TBitmap picture;
    picture.LoadBmpFile(path);
    TJPEGImage jpeg;
    jpeg.AssignBitmap(picture);
    jpeg.CompressJpeg();
    WriteFileReplacing(JoinOutputPath(directory, ChangeExtension(BaseName(path), ".jpg")),
                       jpeg.Data().Bytes);
}

static void RunSteps(const GalleryJob& job, RunHost& host);

// An allocation failure with no error of its own is reported as lacking resources, never
// with the text of a C++ exception.
void RunGallery(const GalleryJob& job, RunHost& host)
{
    try {
        RunSteps(job, host);
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
}

static void RunSteps(const GalleryJob& job, RunHost& host)
{
    if (job.OutputDir.empty()) {
        host.ShowMessage("出力先ディレクトリを指定してください", "警告", MessageButtons::Ok);
        return;
    }
    if (!DirectoryExists(job.OutputDir)) {
        if (host.ShowMessage("ディレクトリを作成しても構いませんか？", "確認",
                             MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        CreateDirectoryChain(job.OutputDir);
    }

    BusyCursor cursor(host);
    const int count = static_cast<int>(job.Entries.size());
    const int columns = job.Columns > 0 ? job.Columns : 1;  // the windows keep it in 1..100
    host.SetProgressRange(0, count - 1);
    RemoveStaleTemporaries(job.OutputDir);

    std::string background;
    const std::string& image = job.Style.BackgroundImage;
    if (!image.empty()) {
        if (job.LinkInPlace) {
            background = " BACKGROUND=\"" + AttributeText(FileUrl(image)) + "\"";
        } else {
            background = " BACKGROUND=\"" + AttributeText(BaseName(image)) + "\"";
            CopyByRule(image, JoinOutputPath(job.OutputDir, BaseName(image)), host);
        }
    }

    PageLines page;
    page.AddHead(job, background);
    const ListedFiles listed(job);

    for (int i = 0; i < count; ++i) {
        const std::string& path = job.Entries[static_cast<std::size_t>(i)].Path;
        const std::string name = BaseName(path);
        const FileClass fileClass = ClassifyExtension(path);

        host.SetProgress(i);
        host.ProcessEvents();
        if (job.MakeSmallImages && fileClass != FileClass::Other)
            listed.RefuseListed(JoinOutputPath(job.OutputDir, SmallImageName(name, fileClass)));
        auto [width, height] = PrepareEntry(path, job);

        // Only JPEG files have a small image under this name in copy mode.
        bool smallJpeg = job.MakeSmallImages && fileClass == FileClass::Jpeg;
        std::string source = smallJpeg ? SmallImageName(name, fileClass) : name;
        std::string caption;
        if (job.ShowFileNames)
            caption = "<BR>" + name;
        if (job.NumberEntries)
            caption += "<BR>#" + DecimalText(i + 1);
        if (i % columns == 0)
            page.Add("<TR>");

        if (job.LinkInPlace) {
            std::string url = FileUrl(path);
            bool small = job.MakeSmallImages && fileClass != FileClass::Other;
            page.AddCell(url, small ? SmallImageName(name, fileClass) : url, width, height, caption);
        } else if (fileClass == FileClass::Bmp) {
            page.AddCell(ChangeExtension(name, ".jpg"), ChangeExtension(source, ".jpg"), width,
                         height, caption);
            listed.RefuseListed(JoinOutputPath(job.OutputDir, ChangeExtension(name, ".jpg")));
            ConvertBmpToJpeg(path, job.OutputDir);
        } else {
            page.AddCell(name, source, width, height, caption);
            CopyByRule(path, JoinOutputPath(job.OutputDir, name), host);
        }

        if ((i + 1) % columns == 0)
            page.Add("</TR>");
    }

    page.AddTail(job);
    listed.RefuseListed(JoinOutputPath(job.OutputDir, job.PageName));
    WriteFileReplacing(JoinOutputPath(job.OutputDir, job.PageName), page.Bytes());
    cursor.Restore();
    host.ShowMessage("終了しました", "結果報告", MessageButtons::Ok);
}

} // namespace kameola
