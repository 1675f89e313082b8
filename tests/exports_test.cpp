// Each built module exports exactly mexFunction and mexVersion, both under
// the symbol version node MEX, and mexVersion names the interface it uses.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> definedDynamicSymbols(const std::string& file)
{
    const std::string command = "readelf --dyn-syms -W '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (pipe && fgets(line, sizeof line, pipe)) {
        std::istringstream in(line);
        std::string num, value, size, type, bind, vis, ndx, name;
        if (!(in >> num >> value >> size >> type >> bind >> vis >> ndx >> name)) continue;
        if (num.back() != ':' || ndx == "UND" || ndx == "Ndx") continue;
        names.insert(name);
    }
    if (pipe) pclose(pipe);
    return names;
}

class ModuleExports : public testing::TestWithParam<const char*> {};

TEST_P(ModuleExports, OnlyTheGatewayAndVersionUnderNodeMEX)
{
    const std::set<std::string> expected = {"MEX", "mexFunction@@MEX", "mexVersion@@MEX"};
    EXPECT_EQ(definedDynamicSymbols(GetParam()), expected);
}

TEST_P(ModuleExports, VersionTextIsR14Native)
{
    // Lazy binding: the host's mx*/mex* functions stay unresolved until called.
    void* module = dlopen(GetParam(), RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto version = reinterpret_cast<const char* (*)()>(dlvsym(module, "mexVersion", "MEX"));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version(), "MATLAB R14 native");
    EXPECT_NE(dlvsym(module, "mexFunction", "MEX"), nullptr);
    dlclose(module);
}

INSTANTIATE_TEST_SUITE_P(BuiltModules, ModuleExports, testing::Values(COAT_MODULE_FILES));

}  // namespace
