// konfex-devsim: a simulated gateway for the updater, on this machine's own addresses.
#include <atomic>
#include <csignal>
#include <iostream>

#include <CLI/CLI.hpp>

#include "core/io/text.h"
#include "core/update/address.h"
#include "simulator.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void onSignal(int) {
  stopRequested = true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Simulated QD40213 gateway: answers the updater's TFTP transfers and commands."};
  std::string address = "127.0.0.1";
  konfex::SimulatorOptions options;
  std::string save;
  cli.add_option("--address", address, "local IPv4 address to listen on")->capture_default_str();
  cli.add_option("--app-port", options.appPort, "application port (0: any free port)")->capture_default_str();
  cli.add_option("--boot-port", options.bootPort, "boot loader port, TFTP (0: any free port)")->capture_default_str();
  cli.add_option("--drop", options.drop, "share of datagrams lost at random, each way")->check(CLI::Range(0.0, 0.9));
  cli.add_option("--save", save, "folder that receives <start address>.bin after every write")
      ->check(CLI::ExistingDirectory);
  cli.add_option("--seed", options.seed, "seed of the losses (0: random)");
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = cli.exit(e);
    return code == 0 ? 0 : 2;
  }
  const std::optional<konfex::Ipv4> local = konfex::parseIpv4(address);
  if (!local) {
    std::cerr << "error: --address " << address << " is no dotted IPv4 address\n";
    return 2;
  }
  options.address = *local;
  options.saveFolder = konfex::utf8Path(save);

  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  try {
    konfex::Simulator simulator(options, std::cout);
    // The first line tells scripts and tests which ports were taken.
    std::cout << "listening on " << address << " app-port " << simulator.appPort() << " boot-port "
              << simulator.bootPort() << std::endl;
    simulator.run(stopRequested);
  } catch (const konfex::SocketError& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
