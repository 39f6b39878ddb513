(* A lexer for the ML texts of declarations and inscriptions: tokens with
 * their places in the text, comments (which nest) skipped, and the helpers
 * that find identifiers, split texts at top-level operators and check
 * bracket balance. *)
structure TolqText =
struct
  datatype kind = Id | Sym | Num | Str | Punct
  type token = {kind : kind, text : string, start : int, stop : int}

  (* A text that cannot be read; the message names the fault. *)
  exception Lex of string

  fun isSymChar c = Char.contains "!%&$#+-/:<=>?@\\~`^|*" c
  fun isIdChar c = Char.isAlphaNum c orelse c = #"'" orelse c = #"_"

  fun tokens (s : string) : token list =
      let val n = size s
          fun at i = if i < n then String.sub (s, i) else #"\000"
          fun tok (k, i, j) = {kind = k, text = String.substring (s, i, j - i), start = i, stop = j}
          fun comment (i, depth) =
              if i >= n then raise Lex "unclosed comment"
              else if at i = #"(" andalso at (i + 1) = #"*" then comment (i + 2, depth + 1)
              else if at i = #"*" andalso at (i + 1) = #")" then
                (if depth = 1 then i + 2 else comment (i + 2, depth - 1))
              else comment (i + 1, depth)
          fun str i =
              if i >= n then raise Lex "unclosed string"
              else case at i of
                     #"\\" => str (i + 2)
                   | #"\"" => i + 1
                   | #"\n" => raise Lex "line break in a string"
                   | _ => str (i + 1)
          fun span (p, i) = if i < n andalso p (at i) then span (p, i + 1) else i
          fun number i =
              let val j = span (Char.isDigit, i)
                  val j = if at j = #"." andalso Char.isDigit (at (j + 1)) then span (Char.isDigit, j + 1) else j
                  val j = if (at j = #"E" orelse at j = #"e")
                             andalso (Char.isDigit (at (j + 1)) orelse (at (j + 1) = #"~" andalso Char.isDigit (at (j + 2))))
                          then span (Char.isDigit, j + 2) else j
              in j end
          fun go (i, acc) =
              if i >= n then rev acc
              else let val c = at i in
                if Char.isSpace c then go (i + 1, acc)
                else if c = #"(" andalso at (i + 1) = #"*" then go (comment (i + 2, 1), acc)
                else if c = #"\"" then let val j = str (i + 1) in go (j, tok (Str, i, j) :: acc) end
                else if c = #"#" andalso at (i + 1) = #"\"" then
                  let val j = str (i + 2) in go (j, tok (Str, i, j) :: acc) end
                else if Char.isDigit c then let val j = number i in go (j, tok (Num, i, j) :: acc) end
                else if Char.isAlpha c orelse c = #"'" orelse c = #"_" then
                  let val j = span (isIdChar, i) in go (j, tok (Id, i, j) :: acc) end
                else if c = #"." then
                  let val j = span (fn c => c = #".", i)
                  in go (j, tok (if j - i = 1 then Punct else Sym, i, j) :: acc) end
                else if isSymChar c then let val j = span (isSymChar, i) in go (j, tok (Sym, i, j) :: acc) end
                else if Char.contains "()[]{},;" c then go (i + 1, tok (Punct, i, i + 1) :: acc)
                else raise Lex ("unexpected character " ^ Char.toString c)
              end
      in go (0, []) end

  fun text (t : token) = #text t
  fun isText s (t : token) = #text t = s

  (* The source text from the first token to the last, as written. *)
  fun sourceOf (s : string) ([] : token list) = ""
    | sourceOf s (toks as (first :: _)) =
        let val last = List.last toks
        in String.substring (s, #start first, #stop last - #start first) end

  fun opener "(" = true | opener "[" = true | opener "{" = true | opener _ = false
  fun closerOf "(" = ")" | closerOf "[" = "]" | closerOf _ = "}"

  (* Checks that brackets pair up. *)
  fun checkBrackets (toks : token list) =
      let fun go ([], []) = ()
            | go ([], open1 :: _) = raise Lex ("unclosed " ^ open1)
            | go ((t : token) :: rest, stack) =
                if #kind t <> Punct then go (rest, stack)
                else if opener (#text t) then go (rest, #text t :: stack)
                else if Char.contains ")]}" (String.sub (#text t, 0)) then
                  (case stack of
                     o1 :: more => if closerOf o1 = #text t then go (rest, more)
                                   else raise Lex ("unexpected " ^ #text t)
                   | [] => raise Lex ("unexpected " ^ #text t))
                else go (rest, stack)
      in go (toks, []) end

  (* Splits at the tokens for which sep holds, outside brackets. *)
  fun splitTop (sep : token -> bool) (toks : token list) : token list list =
      let fun go ([], _, cur, acc) = rev (rev cur :: acc)
            | go ((t : token) :: rest, depth, cur, acc) =
                if #kind t = Punct andalso opener (#text t) then go (rest, depth + 1, t :: cur, acc)
                else if #kind t = Punct andalso Char.contains ")]}" (String.sub (#text t, 0))
                then go (rest, depth - 1, t :: cur, acc)
                else if depth = 0 andalso sep t then go (rest, depth, [], rev cur :: acc)
                else go (rest, depth, t :: cur, acc)
      in go (toks, 0, [], []) end

  (* The identifiers that name values: record labels, selectors (#l) and
   * qualified parts (S.x) are left out. *)
  fun valueIds (toks : token list) : string list =
      let fun go (_, [], acc) = rev acc
            | go (prev, (t : token) :: rest, acc) =
                let val next = case rest of (u : token) :: _ => #text u | [] => ""
                    val label = (prev = "{" orelse prev = ",") andalso (next = "=" orelse next = ":")
                                andalso #kind t = Id
                    val skip = #kind t <> Id orelse prev = "#" orelse prev = "." orelse next = "."
                               orelse label
                in go (#text t, rest, if skip then acc else #text t :: acc) end
      in go ("", toks, []) end

  fun dedup l = List.foldr (fn (x, acc) => if List.exists (fn y => y = x) acc then acc else x :: acc) [] l
  fun trim s = Substring.string (Substring.dropl Char.isSpace (Substring.dropr Char.isSpace (Substring.full s)))
  fun isIdent s = s <> "" andalso Char.isAlpha (String.sub (s, 0)) andalso CharVector.all isIdChar s
end
