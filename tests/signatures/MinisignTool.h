// SPDX-License-Identifier: MIT
#pragma once
// The real minisign tool for the tests: key pairs made with it in a scratch folder, files signed
// and checked by it, and the small edits a forger would make to its signature files.

#include "Minisign.h"
#include "ScratchFolder.h"

#include <string>
#include <vector>

namespace morlith::test {

// Runs minisign with `arguments` (each quoted for the shell), `input` on its standard input; its
// exit status.
int RunMinisign(const std::vector<std::string> &arguments, const std::string &input = "");

// A key pair minisign made: its files and the key id its public key file names.
struct TToolKey {
    std::string PublicPath;
    std::string SecretPath;
    std::string KeyId;
};

// Makes the key pair `name`.pub / `name`.key in `folder`, protected by `password` unless empty.
TToolKey MakeToolKey(const TScratchFolder &folder, const std::string &name, const std::string &password = "");

// Signs `path` with `key` into `signaturePath` (FILE.minisig when empty): the prehashed form, or
// the plain one when `plain`; `trustedComment` unless empty.
void SignWithTool(const TToolKey &key, const std::string &path, bool plain, const std::string &trustedComment = "",
                  const std::string &signaturePath = "");

// True when minisign accepts `path` and its FILE.minisig under the public key `key`.
bool ToolVerifies(const TToolKey &key, const std::string &path);

// Replaces line `index` (0-based) of the file `path`.
void ReplaceLine(const std::string &path, size_t index, const std::string &line);
// Rewrites the signature line (line 2) of the signature file `path` with `edit` applied to its
// decoded bytes (algorithm, key id, signature).
template <typename TEdit>
void EditSignatureLine(const std::string &path, TEdit edit);

} // namespace morlith::test

#include "WholeFiles.h"

#include <array>

template <typename TEdit>
void morlith::test::EditSignatureLine(const std::string &path, TEdit edit)
{
    std::array<uint8_t, 74> bytes{};
    const std::vector<std::string> lines = ReadLines(path);
    if (lines.size() < 2 || !DecodeBase64Exactly(lines[1], bytes.data(), bytes.size()))
        throw std::runtime_error("no signature line in " + path);
    edit(bytes);
    ReplaceLine(path, 1, EncodeBase64(bytes.data(), bytes.size()));
}
