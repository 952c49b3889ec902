// The kdx program: draws barcodes with the library from the command line.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/kdx/Commands.h"
#include "tools/kdx/Options.h"

int main(int argc, char** argv) {
    using namespace kdx::cli;
    try {
        const Invocation inv = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        switch (inv.Cmd) {
            case Command::Help:
                std::cout << HelpText(inv.HelpFor);
                return 0;
            case Command::Version:
                std::cout << VersionText();
                return 0;
            case Command::Render:
                return RunRender(inv.Render, std::cout, std::cerr);
            case Command::Print:
                return RunPrint(inv.Render, std::cout, std::cerr);
            case Command::Symbologies:
                return RunSymbologies(std::cout);
            case Command::Sheet:
                return RunSheet(inv.Sheet, std::cout, std::cerr);
        }
    } catch (const UsageError& e) {
        std::cerr << "kdx: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "kdx: " << e.what() << "\n";
        return 1;
    }
    return 1;
}
