# The stand-in's whole program: it exists for its version block and returns at once.
    .text
    .globl start
start:
    xorl %eax, %eax
    ret
