// SPDX-License-Identifier: MIT
#pragma once
// TXMLOptionsSerializer: stores one tree of persisted objects in an XML file under a small header
// (root element name, "Application" and "Version" attributes) and restores it. This header also
// brings in the persisted object classes it works with.

#include "XMLClass.h"
#include "XMLClassList.h"

#include <cstdint>
#include <functional>
#include <string>

namespace morlith {

// Loads and saves the tree below XMLObject; neither operation ever throws to its caller.
class TXMLOptionsSerializer {
public:
    // Notification taking the sender.
    using TNotifyEvent = std::function<void(TXMLOptionsSerializer *Sender)>;

    TXMLOptionsSerializer() = default;
    TXMLOptionsSerializer(const TXMLOptionsSerializer &) = delete;
    TXMLOptionsSerializer &operator=(const TXMLOptionsSerializer &) = delete;

    // Save with CR LF line breaks and two spaces of indentation per level (default true).
    bool NodeAutoIndent() const { return FNodeAutoIndent; }
    void SetNodeAutoIndent(bool Value) { FNodeAutoIndent = Value; }
    // Write the header attributes on save and check them on load (default true).
    bool UseVersionControl() const { return FUseVersionControl; }
    void SetUseVersionControl(bool Value) { FUseVersionControl = Value; }
    // Value of the root's "Application" attribute (default empty).
    const std::string &ApplicationName() const { return FApplicationName; }
    void SetApplicationName(const std::string &Value) { FApplicationName = Value; }
    // Name of the root element (default "config").
    const std::string &RootNodeName() const { return FRootNodeName; }
    void SetRootNodeName(const std::string &Value) { FRootNodeName = Value; }
    // The document file (default empty).
    const std::string &XMLFilePath() const { return FXMLFilePath; }
    void SetXMLFilePath(const std::string &Value) { FXMLFilePath = Value; }
    // The root's "Version" attribute (default 1); a load replaces it by the low 8 bits it reads.
    std::uint8_t Version() const { return FVersion; }
    void SetVersion(std::uint8_t Value) { FVersion = Value; }
    // Element name of the items of every list in the tree (default "Item").
    const std::string &ItemNodeCaption() const { return FItemNodeCaption; }
    void SetItemNodeCaption(const std::string &Value) { FItemNodeCaption = Value; }
    // Called with this serializer after a successful load; an exception from it fails the load.
    const TNotifyEvent &OnAfterLoad() const { return FOnAfterLoad; }
    void SetOnAfterLoad(TNotifyEvent Value) { FOnAfterLoad = std::move(Value); }
    // Root of the tree to persist; not owned (default none).
    TXMLClass *XMLObject() const { return FXMLObject; }
    void SetXMLObject(TXMLClass *Value) { FXMLObject = Value; }

    // Resets the tree and fills it from XMLFilePath. A missing file, a foreign header or a value
    // that does not convert leaves the tree at its defaults; LastError then says why.
    void Load();
    // The same as Load, from a document already read into memory; XMLFilePath names it in messages.
    void LoadText(const std::string &Content);

    // Writes the tree to XMLFilePath (see SaveDocumentFile): a failure at any point leaves the
    // previous file in place, and the backup of it is removed only after a success.
    void Save();

    // Why the last Load or Save failed or stopped; empty after a success, so a save succeeded
    // exactly when LastError is empty afterwards.
    const std::string &LastError() const { return FLastError; }

    // The complete document text for the current tree, as Save writes it; for callers that put
    // the file in place themselves. Throws when the tree cannot be written.
    std::string BuildDocument() const;

private:
    // Clears LastError; false (with LastError set) without an XMLObject or an XMLFilePath.
    bool Ready(const char *Operation);
    // Resets the tree and fills it from `Read`'s document; the failures of Load.
    void LoadWith(const std::function<void()> &Read);
    // Parses the file, checks the header and reads the tree; a stop returns with FLastError set,
    // a failure throws.
    void LoadDocument();
    // The same for a document in memory.
    void ParseDocument(const std::string &Content);
    // Checks the root's name and attributes; returns false (FLastError set) on a stop.
    bool AcceptRoot(pugi::xml_node Root);

    bool FNodeAutoIndent = true;
    bool FUseVersionControl = true;
    std::string FApplicationName;
    std::string FRootNodeName = "config";
    std::string FXMLFilePath;
    std::uint8_t FVersion = 1;
    std::string FItemNodeCaption = "Item";
    TNotifyEvent FOnAfterLoad;
    TXMLClass *FXMLObject = nullptr;
    std::string FLastError;
};

} // namespace morlith
