#pragma once

#include <array>

namespace kestrix {

// The texts of a handling document besides its cars.
enum class DocumentText { BeforeComments, AfterComments, Author };
inline constexpr std::array<DocumentText, 3> kDocumentTexts{
    DocumentText::BeforeComments, DocumentText::AfterComments, DocumentText::Author};

// The text itself, in a document or anything else that holds the three
// texts by their names (the contents a comparison looks at).
template <class Texts> auto& TextIn(Texts& texts, DocumentText text) {
    switch (text) {
    case DocumentText::BeforeComments:
        return texts.BeforeComments;
    case DocumentText::AfterComments:
        return texts.AfterComments;
    case DocumentText::Author:
        break;
    }
    return texts.Author;
}

} // namespace kestrix
