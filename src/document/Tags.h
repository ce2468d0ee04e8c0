#pragma once
// The tag lines of the report format. A line is a tag only when its bytes equal one of these
// over their whole length (case-sensitive, no blanks around it); everything else is text.
// The Japanese tags are code page 932 bytes, spelled out so that no source encoding or
// conversion can change them.

#include <QByteArrayView>
#include <array>

namespace tags {

inline constexpr QByteArrayView Font1{"<Font1>"};
inline constexpr QByteArrayView Font2{"<Font2>"};
inline constexpr QByteArrayView Font3{"<Font3>"};
inline constexpr QByteArrayView HPitchStart{"<HPitch-Start>"};
inline constexpr QByteArrayView HPitchEnd{"<HPitch-End>"};
inline constexpr QByteArrayView TitleStart{"<Title-Start>"};
inline constexpr QByteArrayView TitleEnd{"<Title-End>"};
inline constexpr QByteArrayView DataEnd{"<Data-End>"};
inline constexpr QByteArrayView BlockStart{"<Block-Start>"};
inline constexpr QByteArrayView BlockEnd{"<Block-End>"};
inline constexpr QByteArrayView PageEnd{"<Page-End>"};

// "<分数式>": three operand lines follow (upper, middle, lower).
inline constexpr QByteArrayView Fraction{"<\x95\xAA\x90\x94\x8E\xAE>"};

// Figure file tags: one operand line follows, the figure file name.
// "<emfファイル>", "<emfファイル0>", "<emfファイルC>", "<emfファイルR>", "<emfファイルS>",
// "<emfファイルL>"
inline constexpr QByteArrayView EmfFile{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B>"};
inline constexpr QByteArrayView EmfFile0{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "0>"};
inline constexpr QByteArrayView EmfFileC{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "C>"};
inline constexpr QByteArrayView EmfFileR{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "R>"};
inline constexpr QByteArrayView EmfFileS{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "S>"};
inline constexpr QByteArrayView EmfFileL{"<emf\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "L>"};
// "<bmpファイル>", "<bmpファイルC>", "<bmpファイルR>", "<bmpファイルL>"
inline constexpr QByteArrayView BmpFile{"<bmp\x83\x74\x83\x40\x83\x43\x83\x8B>"};
inline constexpr QByteArrayView BmpFileC{"<bmp\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "C>"};
inline constexpr QByteArrayView BmpFileR{"<bmp\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "R>"};
inline constexpr QByteArrayView BmpFileL{"<bmp\x83\x74\x83\x40\x83\x43\x83\x8B"
                                         "L>"};
// "<jpgファイル>"
inline constexpr QByteArrayView JpgFile{"<jpg\x83\x74\x83\x40\x83\x43\x83\x8B>"};

// Figure block tags: figure text lines follow, then the figure-parameter line ("Fig ...").
// "<図形挿入>"
inline constexpr QByteArrayView FigureInsert{"<\x90\x7D\x8C\x60\x91\x7D\x93\xFC>"};
// "<図形配置R>", "<図形配置S>", "<図形配置L>", "<図形配置R_MFai>", "<図形配置R_MFai2>",
// "<図形配置MSita>", "<図形配置PDelt>", "<図形配置PDelt2>"
inline constexpr QByteArrayView FigurePlaceR{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                             "R>"};
inline constexpr QByteArrayView FigurePlaceS{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                             "S>"};
inline constexpr QByteArrayView FigurePlaceL{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                             "L>"};
inline constexpr QByteArrayView FigurePlaceRMFai{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                                 "R_MFai>"};
inline constexpr QByteArrayView FigurePlaceRMFai2{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                                  "R_MFai2>"};
inline constexpr QByteArrayView FigurePlaceMSita{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                                 "MSita>"};
inline constexpr QByteArrayView FigurePlacePDelt{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                                 "PDelt>"};
inline constexpr QByteArrayView FigurePlacePDelt2{"<\x90\x7D\x8C\x60\x94\x7A\x92\x75"
                                                  "PDelt2>"};

// The eleven figure file tags.
inline constexpr std::array<QByteArrayView, 11> FigureFileTags = {
    EmfFile, EmfFile0, EmfFileC, EmfFileR, EmfFileS, EmfFileL,
    BmpFile, BmpFileC, BmpFileR, BmpFileL, JpgFile};

// The nine figure block tags.
inline constexpr std::array<QByteArrayView, 9> FigureBlockTags = {
    FigureInsert,      FigurePlaceR,     FigurePlaceS,     FigurePlaceL,     FigurePlaceRMFai,
    FigurePlaceRMFai2, FigurePlaceMSita, FigurePlacePDelt, FigurePlacePDelt2};

// All 32 tags.
// clang-format off
inline constexpr std::array<QByteArrayView, 32> AllTags = {
    Font1, Font2, Font3, HPitchStart, HPitchEnd, TitleStart, TitleEnd, DataEnd,
    BlockStart, BlockEnd, PageEnd, Fraction,
    EmfFile, EmfFile0, EmfFileC, EmfFileR, EmfFileS, EmfFileL,
    BmpFile, BmpFileC, BmpFileR, BmpFileL, JpgFile,
    FigureInsert, FigurePlaceR, FigurePlaceS, FigurePlaceL, FigurePlaceRMFai,
    FigurePlaceRMFai2, FigurePlaceMSita, FigurePlacePDelt, FigurePlacePDelt2};
// clang-format on

// True for the figure file tags (an operand line with the file name follows).
bool isFigureFileTag(QByteArrayView line);
// True for the figure block tags ("<図形挿入>" and the eight placement tags).
bool isFigureBlockTag(QByteArrayView line);
// True for the metafile figure tags ("<emfファイル...>", EMF or placeable WMF).
bool isMetafileTag(QByteArrayView line);
// True for the bitmap figure tags ("<bmpファイル...>").
bool isBitmapTag(QByteArrayView line);

} // namespace tags

// True when the whole line is exactly one of the 32 tags.
bool IsTagLine(QByteArrayView line);
