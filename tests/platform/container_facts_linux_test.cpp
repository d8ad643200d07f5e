// The container evidence as the Linux reader takes it from machine trees.
#include "platform/container_facts.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system_root.h"

namespace {

struct Facts {
    ContainerFacts facts{};
    explicit Facts(const char* machine) {
        EXPECT_TRUE(SetSystemRoot(
            (std::string(KELVANE_TEST_DATA_DIR) + "/machines/" + machine + "/tree").c_str()))
            << machine;
        EXPECT_TRUE(ReadContainerFacts(&facts));
        SetSystemRoot("");
    }
};

TEST(ContainerFactsLinuxTest, MachineTrees) {
    // Podman's file with its engine line, process 1's environment read past other variables.
    const ContainerFacts podman = Facts("podman-rootless").facts;
    EXPECT_TRUE(podman.containerEnv);
    EXPECT_TRUE(podman.dockerEnv);
    EXPECT_STREQ("podman-5.2.2", podman.containerEnvEngine);
    EXPECT_STREQ("podman", podman.initContainer);
    EXPECT_STREQ("0::/\n", podman.initCgroup);
    EXPECT_STREQ("6.10.6-200.fc40.x86_64\n", podman.kernelRelease);

    // Docker sets no container= variable; the empty marker file still counts.
    const ContainerFacts docker = Facts("container-cpuset").facts;
    EXPECT_TRUE(docker.dockerEnv);
    EXPECT_FALSE(docker.containerEnv);
    EXPECT_STREQ("", docker.initContainer);
    EXPECT_STREQ("", docker.containerEnvEngine);

    const ContainerFacts wsl = Facts("wsl2").facts;
    EXPECT_TRUE(wsl.wslInterop);
    EXPECT_FALSE(wsl.dockerEnv);
    EXPECT_EQ(
        0, std::string(wsl.kernelVersion).find("Linux version 5.15.153.1-microsoft-standard-WSL2"));

    // A host: none of the files, nothing made up.
    const ContainerFacts host = Facts("epyc-96").facts;
    EXPECT_FALSE(host.dockerEnv || host.containerEnv || host.wslInterop);
    EXPECT_STREQ("", host.systemdContainer);
    EXPECT_STREQ("", host.initContainer);
    EXPECT_STREQ("", host.kernelVersion);
}

}  // namespace
