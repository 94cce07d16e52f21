// Array-backed matrix stack.
#include "anim/MatrixStack.h"

void MatrixStack::Push(const Matrix& m) {
    matrices.push_back(m);
}

Matrix MatrixStack::Peek() const {
    return matrices.empty() ? Matrix{} : matrices.back();
}

Matrix MatrixStack::Pop() {
    if (matrices.empty()) {
        return Matrix{};
    }
    const Matrix top = matrices.back();
    matrices.pop_back();
    return top;
}

void MatrixStack::Clear() {
    matrices.clear();
}
