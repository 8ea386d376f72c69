#include "picture/Prepare.h"

#include "picture/Resample.h"

bool PrepareForBox(TPicture &picture, const QByteArray &bytes, TPictureFormat format, const QSize &fitBox,
                   QImage *fitted, const std::function<void()> &placed) {
    if (fitted)
        *fitted = QImage();
    // An animation's first frame is placed as soon as it is decoded, while the rest decode;
    // unless the whole may yet turn grey (a 1-bit first frame): what shows early is what stays.
    std::function<void()> early;
    if (placed && format == TPictureFormat::Gif)
        early = [&] {
            TGifImage *gif = picture.Gif();
            if (gif->BitsPerPixel() == 1)
                return;
            gif->SetTransparent(false);
            placed();
        };
    if (!picture.LoadFromData(bytes, format, early))
        return false;
    if (const TJpegDecoder *jpeg = picture.Jpeg()) {
        if (NeedsHalfScale(picture.FileWidth(), picture.FileHeight()))
            picture.SetHalfScale(true);
        picture.SetOrientation(jpeg->FileOrientation());
        // An embedded profile, of the picture's own kind, takes its colours to the screen's;
        // without one a CMYK picture's inks go through the plain formula.
        const int components = jpeg->Components();
        if (jpeg->IsCmyk())
            picture.SetColourTransform(TColourTransform::FromIcc(
                jpeg->IccProfile(), jpeg->IsCmykInverted() ? TColourInput::CmykInverted : TColourInput::Cmyk));
        else if (components == 3 || components == 1)
            picture.SetColourTransform(TColourTransform::FromIcc(
                jpeg->IccProfile(), components == 3 ? TColourInput::Rgb : TColourInput::Grey));
    }
    // Both before any pixel is fitted: the fitted picture is made from what the box shows.
    if (TGifImage *gif = picture.Gif()) {
        gif->SetTransparent(false);
        if (gif->BitsPerPixel() == 1)
            gif->ConvertToGrey();
    }
    if (placed)
        placed();
    if (!picture.IsDecoded() && !picture.Decode())
        return false;
    if (fitted && fitBox.isValid() && picture.Width() > 0 && picture.Height() > 0)
        *fitted = FittedImage(picture, FittedRect(picture.Width(), picture.Height(), fitBox.width(), fitBox.height()).size());
    return true;
}
