#pragma once

#include <exception>
#include <iostream>

namespace quillmark::sim {

// A completion for co_spawn that reports on standard error the exception a task ended with, rather
// than losing it.
inline auto reportTaskFailure(const char* task) {
    return [task](std::exception_ptr failure) {
        if (!failure) return;
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            std::cerr << "quillmark-engine-sim: " << task << " task failed: " << error.what() << std::endl;
        } catch (...) {
            std::cerr << "quillmark-engine-sim: " << task << " task failed" << std::endl;
        }
    };
}

}  // namespace quillmark::sim
