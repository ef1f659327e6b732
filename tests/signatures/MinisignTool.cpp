// SPDX-License-Identifier: MIT
#include "MinisignTool.h"

#include "WholeFiles.h"

#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace morlith::test {
namespace {

std::string Quoted(const std::string &word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

int RunMinisign(const std::vector<std::string> &arguments, const std::string &input)
{
    std::string command = "printf '%s' " + Quoted(input) + " | " + Quoted(MORLITH_MINISIGN);
    for (const std::string &argument : arguments)
        command += " " + Quoted(argument);
    command += " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TToolKey MakeToolKey(const TScratchFolder &folder, const std::string &name, const std::string &password)
{
    TToolKey key{folder.File(name + ".pub"), folder.File(name + ".key"), ""};
    const int status = password.empty()
                           ? RunMinisign({"-G", "-W", "-p", key.PublicPath, "-s", key.SecretPath})
                           : RunMinisign({"-G", "-p", key.PublicPath, "-s", key.SecretPath},
                                         password + "\n" + password + "\n");
    const std::vector<std::string> lines = ReadLines(key.PublicPath);
    const std::string prefix = "untrusted comment: minisign public key ";
    if (status != 0 || lines.empty() || lines[0].rfind(prefix, 0) != 0)
        throw std::runtime_error("minisign made no key pair " + name);
    key.KeyId = lines[0].substr(prefix.size());
    return key;
}

void SignWithTool(const TToolKey &key, const std::string &path, bool plain, const std::string &trustedComment,
                  const std::string &signaturePath)
{
    std::vector<std::string> arguments = {"-S", "-s", key.SecretPath, "-m", path};
    if (plain)
        arguments.push_back("-l");
    if (!trustedComment.empty())
        arguments.insert(arguments.end(), {"-t", trustedComment});
    if (!signaturePath.empty())
        arguments.insert(arguments.end(), {"-x", signaturePath});
    if (RunMinisign(arguments) != 0)
        throw std::runtime_error("minisign did not sign " + path);
}

bool ToolVerifies(const TToolKey &key, const std::string &path)
{
    return RunMinisign({"-V", "-p", key.PublicPath, "-m", path}) == 0;
}

void ReplaceLine(const std::string &path, size_t index, const std::string &line)
{
    std::vector<std::string> lines = ReadLines(path);
    lines.at(index) = line;
    std::string text;
    for (const std::string &each : lines)
        text += each + "\n";
    WriteText(path, text);
}

} // namespace morlith::test
