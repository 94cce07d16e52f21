// Stack of matrices for the hierarchy walk. Array-backed: once it has grown, Push reuses its
// storage and allocates nothing (the walk runs it every frame).
#pragma once

#include "anim/Matrix.h"

#include <vector>

class MatrixStack {
public:
    // Makes a copy of m the top.
    void Push(const Matrix& m);
    // Copy of the top matrix; the all-zero matrix (not the identity) when the stack is empty.
    Matrix Peek() const;
    // Copy of the top matrix, which is removed; on an empty stack the all-zero matrix and no
    // change.
    Matrix Pop();
    // Removes every matrix; the storage is kept for the next walk.
    void Clear();

    bool IsEmpty() const { return matrices.empty(); }
    std::size_t Size() const { return matrices.size(); }

private:
    std::vector<Matrix> matrices;
};
