// SPDX-License-Identifier: MIT
#include "XMLOptionsSerializer.h"

#include "DocumentFile.h"
#include "DocumentSave.h"

namespace morlith {

namespace {

// Collects pugixml's output in a string.
class TStringWriter : public pugi::xml_writer {
public:
    void write(const void *Data, std::size_t Size) override { Text.append(static_cast<const char *>(Data), Size); }
    std::string Text;
};

// Line breaks of saved documents are CR LF; parsing turns them back into LF. A carriage return
// in the output can only come from a value, and is written as a character reference so that
// it neither doubles nor turns into a line feed on the way back.
std::string WithCrLf(const std::string &Text)
{
    std::string result;
    result.reserve(Text.size() + Text.size() / 16);
    for (char c : Text) {
        if (c == '\r')
            result += "&#13;";
        else if (c == '\n')
            result += "\r\n";
        else
            result += c;
    }
    return result;
}

} // namespace

bool TXMLOptionsSerializer::Ready(const char *Operation)
{
    FLastError.clear();
    if (!FXMLObject)
        FLastError = std::string("no XMLObject to ") + Operation;
    else if (FXMLFilePath.empty())
        FLastError = std::string("no XMLFilePath to ") + Operation;
    return FLastError.empty();
}

void TXMLOptionsSerializer::Load()
{
    LoadWith([this] {
        if (PathState(FXMLFilePath) == TPathState::psMissing) {
            FLastError = "file not found: " + FXMLFilePath;
            return;
        }
        LoadDocument();
    });
}

void TXMLOptionsSerializer::LoadText(const std::string &Content)
{
    LoadWith([this, &Content] { ParseDocument(Content); });
}

void TXMLOptionsSerializer::LoadWith(const std::function<void()> &Read)
{
    if (!Ready("load")) {
        if (FXMLObject)
            FXMLObject->ResetDefaults();
        return;
    }
    try {
        FXMLObject->ResetDefaults();
        Read();
    } catch (const std::exception &e) {
        FLastError = e.what();
    } catch (...) {
        FLastError = "unknown failure while loading " + FXMLFilePath;
    }
    if (FLastError.empty())
        return;
    // A failure may strike halfway through the tree: reset again so lists end empty.
    try {
        FXMLObject->ResetDefaults();
    } catch (...) {
    }
}

void TXMLOptionsSerializer::LoadDocument()
{
    std::string content;
    std::string error;
    if (!ReadWholeFile(FXMLFilePath, kMaxDocumentBytes, content, error))
        throw TXMLReadError(error);
    ParseDocument(content);
}

void TXMLOptionsSerializer::ParseDocument(const std::string &Content)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(Content.data(), Content.size());
    if (!parsed)
        throw TXMLReadError("XML parse error at offset " + std::to_string(parsed.offset) + ": " + parsed.description());
    const pugi::xml_node root = document.document_element();
    if (!root)
        throw TXMLReadError("document has no root element");
    if (FUseVersionControl && !AcceptRoot(root))
        return;
    FXMLObject->ReadFromNode(root, FItemNodeCaption);
    if (FOnAfterLoad)
        FOnAfterLoad(this);
}

bool TXMLOptionsSerializer::AcceptRoot(pugi::xml_node Root)
{
    if (FRootNodeName != Root.name()) {
        FLastError = "root element is " + QuoteForMessage(Root.name()) + ", expected " + QuoteForMessage(FRootNodeName);
        return false;
    }
    const pugi::xml_attribute application = Root.attribute("Application");
    if (!application) {
        FLastError = "root element has no Application attribute";
        return false;
    }
    if (FApplicationName != application.value()) {
        FLastError = "Application attribute is " + QuoteForMessage(application.value()) + ", expected " +
                     QuoteForMessage(FApplicationName);
        return false;
    }
    const pugi::xml_attribute version = Root.attribute("Version");
    std::int32_t value = 0;
    if (!version)
        throw TXMLReadError("root element has no Version attribute");
    if (!TryTextToInt(version.value(), value))
        throw TXMLReadError("Version attribute " + QuoteForMessage(version.value()) + " is not an integer");
    FVersion = static_cast<std::uint8_t>(value & 0xFF);
    return true;
}

void TXMLOptionsSerializer::Save()
{
    if (!Ready("save"))
        return;
    std::string content;
    try {
        content = BuildDocument();
    } catch (const std::exception &e) {
        FLastError = std::string("cannot build the document: ") + e.what();
        return;
    } catch (...) {
        FLastError = "cannot build the document";
        return;
    }
    (void)SaveDocumentFile(FXMLFilePath, content, FLastError);
}

std::string TXMLOptionsSerializer::BuildDocument() const
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = document.append_child(FRootNodeName.c_str());
    if (FUseVersionControl) {
        root.append_attribute("Application").set_value(FApplicationName.c_str());
        root.append_attribute("Version").set_value(static_cast<unsigned>(FVersion));
    }
    FXMLObject->WriteToNode(root, FItemNodeCaption);
    TStringWriter writer;
    const unsigned flags = FNodeAutoIndent ? pugi::format_indent : pugi::format_raw;
    document.save(writer, "  ", flags, pugi::encoding_utf8);
    return WithCrLf(writer.Text);
}

} // namespace morlith
